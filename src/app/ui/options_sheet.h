#pragma once

#include "dialogs/ui/sheet_dialog.h"
#include "launcher/program_launcher.h"
#include "platform/message_loop.h"
#include "tariff/tariff.h"

#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ov {

class LanguagePacks;
class RasLibrary;
class SamplePageWidget;
class Settings;
class UiResources;

/// Templates of the options sheet and its pages.
inline constexpr unsigned kOptionsTemplate = 215;
inline constexpr unsigned kOptionsTree = 3123;
inline constexpr unsigned kOptionsFrame = 3124;
inline constexpr unsigned kApplyButton = 3081;
inline constexpr unsigned kPageGeneral = 204;
inline constexpr unsigned kPageTariff = 205;
inline constexpr unsigned kPageLanguage = 314;
inline constexpr unsigned kPagePrograms = 312;
inline constexpr unsigned kPageCallList = 206;
inline constexpr unsigned kPagePrinting = 307;
inline constexpr unsigned kPageDialUp = 209;
inline constexpr unsigned kPageEntries = 210;
inline constexpr unsigned kPageLinks = 311;

/// Strings of the sheet: the entry page's failures and the browse title.
inline constexpr unsigned kEntryNotDeleted = 3338;
inline constexpr unsigned kEntryNotSaved = 3339;
inline constexpr unsigned kBrowseTitle = 3328;

/// What the options sheet works with. The references must outlive the sheet.
struct OptionsSheetParts {
    LanguagePacks& packs;
    const UiResources& resources;
    Settings& settings;     // the live settings
    RasLibrary* phoneBook;  // null: no phone-book page
    MessageLoop* loop;      // the window thread's loop, for the control-panel tools; may be null
};

/// What the sheet asks of the rest of the program; an empty hook does nothing (the message
/// boxes, the beep and the file dialog then use Qt's own).
struct OptionsSheetHooks {
    std::function<void()> reloadCallList;   // the call list emptied and loaded again
    std::function<void()> languageChanged;  // posted to the application window
    std::function<void(const QString&)> showMessage;
    std::function<void()> beep;
    std::function<QString()> browseProgram;  // the chosen program, empty on Cancel
    /// The dial command of an entry's desktop shortcut; empty hook: the phone book's provider.
    std::function<std::vector<std::string>(const std::string&)> dialCommand;
};

/// The options sheet: a tree of pages over a working copy of the settings; Apply and OK copy
/// it back, store every group, the tariff presets file, and reload the call list.
class OptionsSheet final : public sSheetDialog {
    Q_OBJECT
public:
    OptionsSheet(OptionsSheetParts parts, OptionsSheetHooks hooks, QWidget* parent = nullptr);
    ~OptionsSheet() override;

    /// Builds the pages and loads them; false without the sheet's template.
    bool Initialise();

    void OnCommand(unsigned id, int code) override;
    void PageDataExchange(bool save, unsigned pageTemplateId) override;

    /// Files dropped onto the sheet: programs on the programs page; elsewhere a beep.
    void DropFiles(const QStringList& paths);

    bool Modified() const { return m_modified; }
    const Settings& WorkingCopy() const { return *m_work; }
    /// The page of a template, whether it is shown or not; null when it was not made.
    sSheetDialogBase* Page(unsigned pageTemplateId) const;
    /// The tariff presets as the sheet holds them.
    const std::vector<Tariff>& Presets() const { return m_presets; }

    /// The one open sheet; null when none is open.
    static OptionsSheet* Open() { return s_open; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class ToolWindow;

    void SetModified(bool modified);
    void Apply(bool withLanguage);
    void EndSheet(unsigned code);
    void Message(const QString& text);
    void Beep() const;
    template <typename Control>
    Control* Ctl(unsigned id) const;

    void ExchangeGeneral(bool save);
    void UpdateGeneralEnabling();
    void ExchangeTariff(bool save);
    void LoadTariffRows();
    void StoreTariffRows();
    void StoreIntoPreset();
    void ChoosePreset(int index);
    void UpdateCurrency();
    void ExchangeCallList(bool save);
    void ExchangePrinting(bool save);
    void UpdatePrintPreview();
    void ExchangeLanguage(bool save);

    void ExchangePrograms(bool save);
    void ShowProgramSelection();
    void UpdateProgramButtons();
    void OnProgramsCommand(unsigned id, int code);
    void AddProgram(const std::string& path, int style, int exit);

    void FillEntries();
    void FillDevices();
    void ShowSelectedEntry();
    void UpdateEntryButtons();
    void EnableAddressFields();
    void SaveEntry(bool create);
    void DeleteEntry();
    void StartTool(unsigned id);
    void OnToolDone(unsigned command);
    void OnEntriesCommand(unsigned id, int code);

    OptionsSheetParts m_parts;
    OptionsSheetHooks m_hooks;
    std::unique_ptr<Settings> m_work;
    std::vector<Tariff> m_presets;
    int m_preset = -1;  // the chosen country preset
    int m_daySet = 0;   // the day type whose rows are shown
    bool m_modified = false;
    bool m_initialising = true;
    int m_quiet = 0;  // controls being filled: their signals are no user changes
    bool m_entriesPage = false;
    std::unique_ptr<ToolWindow> m_toolWindow;
    std::unique_ptr<ProgramLauncher> m_tool;
    std::map<unsigned, sSheetDialogBase*> m_pageOf;
    SamplePageWidget* m_samplePage = nullptr;  // the printing page's preview, once made

    static inline OptionsSheet* s_open = nullptr;
};

/// Command 3200: brings the open sheet forward, or makes one, runs it modally and destroys it.
/// Returns the code it ended with (0 when one was open already).
int RunOptionsSheet(OptionsSheetParts parts, OptionsSheetHooks hooks, QWidget* parent = nullptr);

}  // namespace ov
