#pragma once

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QPrinter;
class QSplitter;
class QTimer;

namespace ov {

class CallList;
class CallListSink;
class CallLogWriter;
class OVDialogView;
class OVListView;
class Settings;
class TextSource;
class UiResources;

/// Resources and strings of the main frame.
inline constexpr unsigned kMainFrameMenu = 128;
inline constexpr unsigned kToolBarBitmap = 322;
inline constexpr int kToolBarImageSize = 20;
inline constexpr unsigned kMainFrameTitle = 3317;
inline constexpr unsigned kStatusReady = 3450;
inline constexpr unsigned kStatusCalls = 3451;  // "%d calls"
inline constexpr unsigned kStatusRunning = 3452;
inline constexpr unsigned kStatusStopped = 3453;
inline constexpr unsigned kNothingToPrint = 3346;

/// Commands of the main frame itself.
inline constexpr unsigned ID_EXPORT_TEXT = 3209;
inline constexpr unsigned ID_FILE_PAGE_SETUP = 57605;
inline constexpr unsigned ID_FILE_PRINT = 57607;
inline constexpr unsigned ID_FILE_PRINT_PREVIEW = 57609;

/// Heights of the splitter's rows: the call list's first height, its least height and the
/// height a missing saved one stands for, and the form view's first height.
inline constexpr int kListPaneHeight = 200;
inline constexpr int kListPaneMinimum = 50;
inline constexpr int kListPaneDefault = 250;
inline constexpr int kFormPaneHeight = 130;

/// The main window: the pack's menu bar, a tool bar, a status bar of four panes, and a
/// splitter with the call list above its form view. It prints and exports the list itself
/// and hands the program's commands (monitor, options, help) to the application window. It
/// takes its placement and splitter from the settings and gives them back when it closes;
/// the program goes on in the tray.
class MainFrame final : public QMainWindow {
    Q_OBJECT
public:
    struct Parts {
        Settings& settings;
        const TextSource& texts;
        const UiResources& resources;
        std::string logFolder;
        CallLogWriter* writer = nullptr;  // told of the open list; may be null
        std::function<bool()> monitorRunning;
        /// The application window's commands; each runs once the frame's own handling of the
        /// menu choice is over, so it may close or rebuild the frame.
        std::function<void(unsigned)> appCommand;
    };

    explicit MainFrame(Parts parts, QWidget* parent = nullptr);
    ~MainFrame() override;

    /// Carries out a command of the frame's menu, tool bar or keyboard.
    void OnCommand(unsigned command);
    /// The checks of 3201 and 3202, the text of 3204, the status panes.
    void UpdateMenus();
    /// Placement and splitter into the settings, and the position settings stored.
    void SavePlacement();

    CallList& List() { return *m_list; }
    OVListView* ListView() const { return m_listView; }
    OVDialogView* FormView() const { return m_formView; }
    QSplitter* Splitter() const { return m_splitter; }

Q_SIGNALS:
    /// The user closed the frame (its placement is saved); its owner lets it go.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void RestorePlacement();
    /// The call list's row gets its height, the form view the rest.
    void ApplySplitter();
    void Forward(unsigned command);
    void Print(bool preview);
    void PageSetup();
    void Exit();
    /// The call log writer no longer tells this frame's list of new calls.
    void DetachSink();
    QAction* Command(unsigned command) const;
    QString Text(unsigned number) const;

    Parts m_parts;
    std::unique_ptr<CallList> m_list;
    std::unique_ptr<CallListSink> m_sink;
    std::unique_ptr<QPrinter> m_printer;
    QSplitter* m_splitter = nullptr;
    OVListView* m_listView = nullptr;
    OVDialogView* m_formView = nullptr;
    std::array<QLabel*, 4> m_panes{};
    QTimer* m_stateTimer = nullptr;
    int m_listHeight = kListPaneDefault;  // to be given to the list's row once laid out
    bool m_splitterPlaced = false;
};

/// The main frame as the program holds it: made when it is asked for, let go when the user
/// closes it (the program goes on in the tray), rebuilt in a new language, destroyed at exit.
class MainFrameHost {
public:
    /// `makeParts` gives what each new frame is made with.
    explicit MainFrameHost(std::function<MainFrame::Parts()> makeParts);
    ~MainFrameHost();
    MainFrameHost(const MainFrameHost&) = delete;
    MainFrameHost& operator=(const MainFrameHost&) = delete;

    /// Makes the frame unless it is open, shows it and brings it forward.
    void Open();
    /// Saves its placement and builds it again from the current pack, if it is open.
    void Rebuild();
    /// The frame goes at once, if it is open.
    void Destroy();
    /// The open frame; null while there is none.
    MainFrame* Frame() const { return m_frame; }

private:
    std::function<MainFrame::Parts()> m_makeParts;
    MainFrame* m_frame = nullptr;
    std::vector<QPointer<MainFrame>> m_closing;  // closed, their deletion posted
};

/// The placement as stored (`WinPos`): the window's normal rectangle, whether it is maximised.
/// A placement whose rectangle lies off every screen is moved onto the primary one.
QRect PlacementOnScreen(const QRect& stored);

}  // namespace ov
