// The options sheet on the offscreen platform with the shipped packs, the simulated phone
// book and a temporary data root: its pages driven by the controls' object names, what Apply,
// OK and Cancel leave in the live settings and in the hives, and the pages' rules.

#include "app/ui/options_sheet.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/qt/language_packs.h"
#include "app/ui/pack_ui_resources.h"
#include "platform/ras/ras_sim.h"
#include "settings/registry_key.h"
#include "settings/settings.h"
#include "support/qt_application.h"
#include "support/temp_dir.h"
#include "sysint/ras_library.h"
#include "sysint/shortcuts.h"
#include "tariff/tariff_file.h"

namespace ov {
namespace {

const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtApplicationEnvironment<QApplication>);

class FixedStore final : public LanguageSettingsStore {
public:
    std::optional<std::uint32_t> ReadCurrentLng() const override { return kPackEnglish; }
    bool WriteCurrentLng(std::uint32_t) override { return true; }
    std::uint32_t SystemLanguage() const override { return kPackEnglish; }
    std::string LanguageName(std::uint32_t id) const override {
        return id == kPackSlovak ? "Slovenčina" : "English";
    }
};

std::int32_t StoredNumber(HKEY root, const char* name) {
    RegistryKey key(root, kMainKey);
    std::int32_t value = -1;
    if (!key.Open(root, kMainKey, KEY_READ) || !key.ReadNumber(name, value)) {
        return -1;
    }
    return value;
}

class OptionsSheetTest : public ::testing::Test {
protected:
    OptionsSheetTest() : m_resources(m_packs) {
        m_packs.AddStandardPacks();
        EXPECT_TRUE(m_packs.SwitchTo(kPackEnglish));
        m_hooks.showMessage = [this](const QString& text) { m_messages << text; };
        m_hooks.beep = [this] { ++m_beeps; };
        m_hooks.reloadCallList = [this] { ++m_reloads; };
        m_hooks.languageChanged = [this] { ++m_languageChanges; };
        m_hooks.dialCommand = [](const std::string&) { return std::vector<std::string>{"true"}; };
        EXPECT_TRUE(m_phoneBook.Load());
        m_settings.TariffFile = m_home.Paths().tariffFile;  // as start-up names it
    }

    /// A fresh sheet over the live settings; `withPhoneBook` false: a system without one.
    OptionsSheet& Open(bool withPhoneBook = true) {
        m_sheet = std::make_unique<OptionsSheet>(
            OptionsSheetParts{m_packs, m_resources, m_settings,
                              withPhoneBook ? &m_phoneBook : nullptr, nullptr},
            m_hooks);
        EXPECT_TRUE(m_sheet->Initialise());
        return *m_sheet;
    }

    template <typename Control>
    Control* Find(unsigned id) const {
        auto* control = m_sheet->findChild<Control*>(QStringLiteral("id%1").arg(id));
        EXPECT_NE(control, nullptr) << id;
        return control;
    }
    /// Shows a page as a click on its tree item does.
    void Select(unsigned page) {
        auto* tree = Find<QTreeWidget>(kOptionsTree);
        const auto items = tree->findItems(m_sheet->Page(page)->accessibleName(),
                                           Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(items.size(), 1);
        tree->setCurrentItem(items.front());
        ASSERT_EQ(m_sheet->CurrentPage(), m_sheet->Page(page));
    }
    /// What a user's typing does: the text, then the control's change.
    void Type(unsigned id, const QString& text) {
        auto* edit = Find<QLineEdit>(id);
        edit->setText(text);
        Q_EMIT edit->textEdited(text);
    }
    void Click(unsigned id) { Find<QAbstractButton>(id)->click(); }
    void Choose(unsigned id, int index) {
        auto* combo = Find<QComboBox>(id);
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
    }
    bool ApplyEnabled() { return Find<QPushButton>(kApplyButton)->isEnabled(); }
    /// A presets file of two countries.
    std::vector<Tariff> WritePresets() const {
        Tariff slovakia;
        slovakia.CurrCompany = "Slovakia";
        slovakia.CurrName = "Euro";
        slovakia.CurrShort = "EUR";
        slovakia.CountryID = 1051;
        slovakia.CurrAfterNum = 1;
        slovakia.SetBand(SlotIndex(Workdays, 0), {420, 1139, 0.05f, 1});
        Tariff states;
        states.CurrCompany = "United States";
        states.CountryID = 1033;
        states.SetBand(0, {0, 1439, 0.1f, 2});
        const std::vector<Tariff> presets{states, slovakia};
        EXPECT_TRUE(WriteTariffFile(m_home.Paths().tariffFile, presets));
        return presets;
    }

    test::TempHome m_home;
    FixedStore m_store;
    LanguagePacks m_packs{m_store};
    PackUiResources m_resources;
    SimRasProvider m_sim{m_home.File("ras-sim.state"), {}};
    RasApi m_api{m_sim};
    RasLibrary m_phoneBook{&m_api};
    Settings m_settings{m_packs};
    OptionsSheetHooks m_hooks;
    std::unique_ptr<OptionsSheet> m_sheet;
    QStringList m_messages;
    int m_beeps = 0;
    int m_reloads = 0;
    int m_languageChanges = 0;
};

TEST_F(OptionsSheetTest, TreeHoldsThePagesUnderTheirParents) {
    Open();
    auto* tree = Find<QTreeWidget>(kOptionsTree);
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    const auto children = [](QTreeWidgetItem* item) {
        QStringList texts;
        for (int i = 0; i < item->childCount(); ++i) {
            texts << item->child(i)->text(0);
        }
        return texts;
    };
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "General");
    EXPECT_EQ(children(tree->topLevelItem(0)),
              (QStringList{"Tariff and currency", "Language", "Programs"}));
    EXPECT_EQ(tree->topLevelItem(1)->text(0), "Call list");
    EXPECT_EQ(children(tree->topLevelItem(1)), QStringList{"Printing"});
    EXPECT_EQ(tree->topLevelItem(2)->text(0), "Dial-up");
    EXPECT_EQ(children(tree->topLevelItem(2)), (QStringList{"Phone-book entries", "Links"}));
    EXPECT_EQ(m_sheet->CurrentPage(), m_sheet->Page(kPageGeneral));
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_FALSE(m_sheet->Modified());
}

TEST_F(OptionsSheetTest, NoEntriesPageWithoutAUsablePhoneBook) {
    Open(false);
    EXPECT_EQ(m_sheet->Page(kPageEntries), nullptr);
    auto* tree = Find<QTreeWidget>(kOptionsTree);
    EXPECT_EQ(tree->topLevelItem(2)->childCount(), 1);
    EXPECT_EQ(m_sheet->findChild<QWidget*>("id3047"), nullptr);
}

TEST_F(OptionsSheetTest, ApplyStoresOnlyAfterAChangeAndThenDisablesItself) {
    m_settings.Exchange(true);
    Open();
    // Nothing changed: nothing is stored, nothing reloaded.
    RegistryKey(HKEY_LOCAL_MACHINE, kMainKey).Open(HKEY_LOCAL_MACHINE, kMainKey, KEY_WRITE);
    {
        RegistryKey key(HKEY_LOCAL_MACHINE, kMainKey);
        ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, kMainKey, KEY_WRITE));
        ASSERT_TRUE(key.DeleteValue("EventTotTime"));
    }
    m_sheet->OnCommand(kApplyButton, kNotifyClicked);
    EXPECT_EQ(StoredNumber(HKEY_LOCAL_MACHINE, "EventTotTime"), -1);
    EXPECT_EQ(m_reloads, 0);

    // A change: Apply enables, stores every group and disables itself.
    auto* hours = Find<QSpinBox>(3108);
    hours->setValue(100);
    EXPECT_TRUE(ApplyEnabled());
    Find<QSpinBox>(3109)->setValue(75);
    Click(kApplyButton);
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_EQ(m_settings.EventTotTime, 100 * 3600 + 59 * 60);
    EXPECT_EQ(StoredNumber(HKEY_LOCAL_MACHINE, "EventTotTime"), 100 * 3600 + 59 * 60);
    EXPECT_EQ(StoredNumber(HKEY_CURRENT_USER, "ShowConnEvnt"), m_settings.ShowConnEvnt);
    EXPECT_EQ(m_reloads, 1);
    // The presets file is written with the sheet's presets.
    std::vector<Tariff> presets;
    ReadTariffFile(m_home.Paths().tariffFile, presets);
    EXPECT_EQ(presets.size(), m_sheet->Presets().size());
}

TEST_F(OptionsSheetTest, StoredSecondsOfTheTotalAreDroppedByTheNextApply) {
    m_settings.EventTotTime = 3 * 3600 + 4 * 60 + 5;
    Open();
    EXPECT_EQ(Find<QSpinBox>(3108)->value(), 3);
    EXPECT_EQ(Find<QSpinBox>(3109)->value(), 4);
    Click(3399);  // any change
    Click(kApplyButton);
    EXPECT_EQ(m_settings.EventTotTime, 3 * 3600 + 4 * 60);
}

TEST_F(OptionsSheetTest, LimitKindSwapsTimeAndPriceFields) {
    m_settings.EventUseNotification = 1;
    m_settings.EventType = 1;
    Open();
    m_sheet->show();
    const auto shown = [this](unsigned id) { return Find<QWidget>(id)->isVisible(); };
    const struct {
        int type;
        bool time;
    } cases[] = {{1, true}, {2, false}, {1, true}, {3, false}, {0, true}};
    for (const auto& c : cases) {
        Choose(3391, c.type);
        EXPECT_EQ(shown(3392), c.time) << c.type;
        EXPECT_EQ(shown(3393), c.time) << c.type;
        EXPECT_EQ(shown(3396), !c.time) << c.type;
        EXPECT_EQ(shown(3394), !c.time) << c.type;
    }
    EXPECT_TRUE(m_sheet->Modified());
}

TEST_F(OptionsSheetTest, ClearingTheLimitDisablesItsControlsButKeepsThem) {
    m_settings.EventUseNotification = 1;
    m_settings.EventTime = 45;
    m_settings.HangUpTimeout = 20;
    Open();
    Click(3390);
    for (const unsigned id : {3391u, 3393u, 3392u, 3396u, 3397u, 3398u}) {
        EXPECT_FALSE(Find<QWidget>(id)->isEnabled()) << id;
    }
    EXPECT_EQ(Find<QLineEdit>(3392)->text(), "45");
    Click(kSheetOk);
    EXPECT_EQ(m_settings.EventUseNotification, 0);
    EXPECT_EQ(m_settings.EventTime, 45);
    EXPECT_EQ(m_settings.HangUpTimeout, 20);
    // The running totals' controls follow the live display's check box.
    Open();
    Click(3115);
    for (const unsigned id : {3107u, 3108u, 3109u}) {
        EXPECT_EQ(Find<QWidget>(id)->isEnabled(), m_settings.ShowEvnWnd == 0) << id;
    }
}

TEST_F(OptionsSheetTest, CancelLeavesTheLiveSettingsAndTheHivesUntouched) {
    m_settings.Exchange(true);
    const SettingsValues before = m_settings;
    Open();
    Find<QSpinBox>(3108)->setValue(7);
    Select(kPageCallList);
    Click(3025);
    Select(kPagePrograms);
    Type(3088, "/usr/bin/true");
    Click(3091);
    EXPECT_EQ(m_sheet->WorkingCopy().Programs.size(), before.Programs.size() + 1);
    Click(kSheetCancel);
    EXPECT_EQ(m_sheet->result(), static_cast<int>(kSheetCancel));
    EXPECT_TRUE(static_cast<const SettingsValues&>(m_settings) == before);
    EXPECT_EQ(StoredNumber(HKEY_LOCAL_MACHINE, "EventTotTime"), before.EventTotTime);
    EXPECT_EQ(StoredNumber(HKEY_CURRENT_USER, "ShowStartMon"), before.ShowStartMon);
    EXPECT_EQ(m_reloads, 0);
}

TEST_F(OptionsSheetTest, OkStoresEveryPageIntoTheHives) {
    Open();
    Type(3392, "12");
    Select(kPageTariff);
    Type(3002, "EUR");
    EXPECT_EQ(Find<QLabel>(3082)->text(), "EUR");
    Click(3004);
    Find<QSpinBox>(3003)->setValue(3);
    EXPECT_EQ(Find<QLabel>(3080)->text().toStdString(), "100.200EUR");
    EXPECT_EQ(Find<QLabel>(3080)->font().family(), "Times New Roman");
    EXPECT_EQ(Find<QLabel>(3080)->font().pixelSize(), 17);
    Choose(3086, 1);                     // workdays
    Find<QSpinBox>(3007)->setValue(30);  // hour 30 is stored as 23
    Type(3011, "1.5");
    Find<QSpinBox>(3012)->setValue(5000);
    Select(kPageCallList);
    Click(3104);  // the user column
    Select(kPagePrinting);
    Click(3097);
    Click(kSheetOk);
    EXPECT_EQ(m_sheet->result(), static_cast<int>(kSheetOk));
    EXPECT_EQ(m_settings.EventTime, 12);
    EXPECT_EQ(m_settings.CurrentTariff.CurrShort, "EUR");
    EXPECT_EQ(m_settings.CurrentTariff.CurrAfterNum, 1);
    EXPECT_EQ(m_settings.CurrentTariff.CurrDecName, 3);
    const TariffBand band = m_settings.CurrentTariff.Band(SlotIndex(Workdays, 0));
    EXPECT_EQ(band.TimeFrom / 60, 23);
    EXPECT_FLOAT_EQ(band.Price, 1.5f);
    EXPECT_EQ(band.Minuts, 1439);
    EXPECT_EQ(m_settings.Columns[5], SettingsValues().Columns[5] == 0 ? 1 : 0);
    EXPECT_EQ(m_settings.PrintGraph, 1);
    EXPECT_EQ(StoredNumber(HKEY_LOCAL_MACHINE, "EventTime"), 12);
    EXPECT_EQ(StoredNumber(HKEY_CURRENT_USER, "PrintGraph"), 1);
    Settings reloaded(m_packs);
    reloaded.Exchange(false);
    EXPECT_EQ(reloaded.CurrentTariff, m_settings.CurrentTariff);
    EXPECT_EQ(reloaded.Columns, m_settings.Columns);
}

TEST_F(OptionsSheetTest, ChoosingAPresetKeepsTheEditsOfTheOneBefore) {
    const std::vector<Tariff> presets = WritePresets();
    m_settings.CurrentTariff = presets[0];
    Open();
    Select(kPageTariff);
    EXPECT_EQ(Find<QComboBox>(3149)->currentText(), "United States");
    Type(3011, "0.2");
    Choose(3149, 1);
    EXPECT_EQ(Find<QLineEdit>(3002)->text(), "EUR");
    EXPECT_TRUE(Find<QRadioButton>(3004)->isChecked());
    EXPECT_EQ(Find<QLabel>(3082)->text(), "EUR");
    Choose(3086, 1);
    EXPECT_EQ(Find<QSpinBox>(3007)->value(), 7);
    EXPECT_EQ(Find<QSpinBox>(3009)->value(), 18);
    EXPECT_EQ(Find<QSpinBox>(3010)->value(), 59);
    EXPECT_TRUE(ApplyEnabled());
    Click(kSheetOk);
    EXPECT_EQ(m_settings.CurrentTariff, presets[1]);
    std::vector<Tariff> stored;
    ReadTariffFile(m_home.Paths().tariffFile, stored);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_FLOAT_EQ(stored[0].Price[0], 0.2f);  // the edit went back into its preset
    EXPECT_EQ(stored[1].CurrShort, "EUR");
}

TEST_F(OptionsSheetTest, DropsAddProgramsOnceAndBeepElsewhere) {
    test::TempDir dir;
    const QString program = QString::fromStdString(dir.File("dialer"));
    const QString text = QString::fromStdString(dir.File("readme.txt"));
    test::WriteFileOrDie(program.toStdString(), "#!/bin/sh\n");
    test::WriteFileOrDie(text.toStdString(), "text\n");
    ASSERT_EQ(chmod(program.toStdString().c_str(), 0700), 0);
    Open();
    const std::size_t before = m_sheet->WorkingCopy().Programs.size();
    m_sheet->DropFiles({program});  // the general page is current
    EXPECT_EQ(m_beeps, 1);
    EXPECT_EQ(m_sheet->WorkingCopy().Programs.size(), before);
    Select(kPagePrograms);
    m_sheet->DropFiles({text});
    m_sheet->DropFiles({program, program});
    m_sheet->DropFiles({program});
    ASSERT_EQ(m_sheet->WorkingCopy().Programs.size(), before + 1);
    const ProgramEntry& added = m_sheet->WorkingCopy().Programs.back();
    EXPECT_EQ(added.path, program.toStdString());
    EXPECT_EQ(added.style, 0);
    EXPECT_EQ(added.exit, 0);
    EXPECT_EQ(Find<QListWidget>(3087)->count(), static_cast<int>(before + 1));
    EXPECT_TRUE(ApplyEnabled());
}

TEST_F(OptionsSheetTest, ProgramsPageEditsTheList) {
    m_settings.Programs = {{"/bin/a", 1, 0}, {"/bin/b", 2, 1}};
    Open();
    Select(kPagePrograms);
    auto* list = Find<QListWidget>(3087);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(Find<QLineEdit>(3088)->text(), "/bin/a");
    list->setCurrentRow(1);
    EXPECT_EQ(Find<QLineEdit>(3088)->text(), "/bin/b");
    EXPECT_EQ(Find<QComboBox>(3106)->currentIndex(), 2);
    EXPECT_TRUE(Find<QCheckBox>(3090)->isChecked());
    Type(3088, "/bin/c");
    Click(3092);
    EXPECT_EQ(list->item(1)->text(), "/bin/c");
    Click(3093);
    ASSERT_EQ(m_sheet->WorkingCopy().Programs.size(), 1u);
    EXPECT_EQ(m_sheet->WorkingCopy().Programs[0].path, "/bin/a");
    Type(3088, "");
    EXPECT_FALSE(Find<QPushButton>(3091)->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(3092)->isEnabled());
    m_hooks.browseProgram = [] { return QStringLiteral("/usr/bin/env"); };
    Open();
    Select(kPagePrograms);
    Click(3101);
    EXPECT_EQ(Find<QLineEdit>(3088)->text(), "/usr/bin/env");
    EXPECT_TRUE(Find<QPushButton>(3091)->isEnabled());
}

TEST_F(OptionsSheetTest, EntriesPageCreatesUpdatesAndDeletes) {
    Open();
    Select(kPageEntries);
    auto* entries = Find<QComboBox>(3047);
    EXPECT_EQ(entries->currentText(), "Demo ISP");
    EXPECT_EQ(Find<QComboBox>(3044)->currentText(), "Simulated Modem");
    EXPECT_TRUE(Find<QPushButton>(3048)->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(3046)->isEnabled());

    // A new name with specific addresses: 300 is stored as 255.
    entries->setEditText("Work");
    Q_EMIT entries->lineEdit()->textEdited("Work");
    EXPECT_TRUE(Find<QPushButton>(3046)->isEnabled());
    Find<QCheckBox>(3050)->setChecked(true);
    Click(3050);  // now cleared: the addresses are the user's
    EXPECT_TRUE(Find<QLineEdit>(3051)->isEnabled());
    Type(3045, "555 0100");
    for (const unsigned id : {3051u, 3052u, 3053u, 3054u}) {
        Type(id, id == 3051 ? "300" : "1");
    }
    Click(3046);
    EXPECT_TRUE(m_messages.isEmpty());
    RASENTRY stored{};
    ASSERT_TRUE(m_phoneBook.GetEntryProperties("Work", stored));
    EXPECT_EQ(stored.ipaddr, (RASIPADDR{255, 1, 1, 1}));
    EXPECT_EQ(stored.dwfOptions & 0x2u, 0x2u);
    EXPECT_STREQ(stored.szLocalPhoneNumber, "555 0100");
    EXPECT_EQ(entries->findText("Work"), entries->currentIndex());
    EXPECT_EQ(m_sheet->WorkingCopy().ListEntries.items.back(), "Work");

    // A name another program gave the phone book meanwhile: the save fails aloud.
    ASSERT_EQ(m_sim.AddEntry("Home", "Simulated Modem", ""), 0u);
    entries->setEditText("Home");
    Q_EMIT entries->lineEdit()->textEdited("Home");
    Click(3046);
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages.front(), "The phone-book entry Home cannot be saved.");

    // Delete clears the name and refills the list.
    entries->setCurrentIndex(entries->findText("Work"));
    Q_EMIT entries->activated(entries->currentIndex());
    Click(3049);
    EXPECT_EQ(entries->findText("Work"), -1);
    RASENTRY gone{};
    EXPECT_FALSE(m_phoneBook.GetEntryProperties("Work", gone));
}

TEST_F(OptionsSheetTest, LanguageSwitchOnOkOnly) {
    Open();
    Select(kPageLanguage);
    auto* language = Find<QComboBox>(3120);
    ASSERT_EQ(language->count(), 2);
    EXPECT_EQ(language->currentIndex(), 0);
    Choose(3120, 1);
    Click(kApplyButton);  // Apply does not switch
    EXPECT_EQ(m_packs.CurrentIndex(), 0);
    EXPECT_EQ(m_languageChanges, 0);
    Select(kPageGeneral);
    Click(3399);  // a change stored with the OK
    Click(kSheetOk);
    EXPECT_EQ(m_packs.CurrentIndex(), 1);
    EXPECT_EQ(m_languageChanges, 1);
    // The working copy stored with the OK carries the lists' "all" items of the new language,
    // not those of the old one.
    EXPECT_FALSE(m_packs.Entry(kAllEntriesEntry).empty());
    EXPECT_EQ(m_settings.ListEntries.items.front(), m_packs.Entry(kAllEntriesEntry));
    // A sheet opened now is in Slovak.
    Open();
    EXPECT_EQ(m_sheet->windowTitle(), "Možnosti");
    EXPECT_EQ(Find<QTreeWidget>(kOptionsTree)->topLevelItem(0)->text(0), "Všeobecné");
}

TEST_F(OptionsSheetTest, OnlyOneSheetIsOpen) {
    QTimer::singleShot(0, [this] {
        OptionsSheet* open = OptionsSheet::Open();
        ASSERT_NE(open, nullptr);
        // A second 3200 brings the open one forward and makes no other.
        EXPECT_EQ(RunOptionsSheet({m_packs, m_resources, m_settings, nullptr, nullptr}, {}), 0);
        EXPECT_EQ(OptionsSheet::Open(), open);
        const QWidgetList windows = QApplication::topLevelWidgets();
        EXPECT_EQ(
            std::count_if(windows.begin(), windows.end(),
                          [](QWidget* w) { return qobject_cast<OptionsSheet*>(w) != nullptr; }),
            1);
        open->OnCommand(kSheetCancel, kNotifyClicked);
    });
    EXPECT_EQ(RunOptionsSheet({m_packs, m_resources, m_settings, nullptr, nullptr}, {}),
              static_cast<int>(kSheetCancel));
    EXPECT_EQ(OptionsSheet::Open(), nullptr);
}

TEST_F(OptionsSheetTest, TabGoesFromTheTreeThroughThePageToTheButtons) {
    Open();
    m_sheet->show();
    QWidget* tree = Find<QWidget>(kOptionsTree);
    tree->setFocus();
    QStringList order;
    for (QWidget* w = tree->nextInFocusChain(); w != tree && order.size() < 400;
         w = w->nextInFocusChain()) {
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) != 0 &&
            w->objectName().startsWith(QLatin1String("id"))) {
            order << w->objectName();
        }
    }
    ASSERT_GE(order.size(), 4);
    EXPECT_EQ(order.front(), "id3000");  // the first control of the general page
    EXPECT_EQ(order.mid(order.size() - 2), (QStringList{"id1", "id2"}));  // Apply is disabled
}

/// Every name a screen reader hears below `node`.
void AccessibleNames(QAccessibleInterface* node, QStringList& names, int depth = 0) {
    if (node == nullptr || depth > 6) {
        return;
    }
    names << node->text(QAccessible::Name);
    for (int i = 0; i < node->childCount(); ++i) {
        AccessibleNames(node->child(i), names, depth + 1);
    }
}

TEST_F(OptionsSheetTest, ScreenReadersHearADialogWithItsPagesFieldsAndButtons) {
    Open();
    m_sheet->show();
    QAccessibleInterface* sheet = QAccessible::queryAccessibleInterface(m_sheet.get());
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->role(), QAccessible::Dialog);
    QStringList tree;
    AccessibleNames(QAccessible::queryAccessibleInterface(Find<QTreeWidget>(kOptionsTree)), tree);
    for (const char* caption :
         {"General", "Tariff and currency", "Language", "Programs", "Call list", "Printing",
          "Dial-up", "Phone-book entries", "Links"}) {
        EXPECT_TRUE(tree.contains(QLatin1String(caption))) << caption;
    }
    const auto name = [this](unsigned id) {
        return QAccessible::queryAccessibleInterface(Find<QWidget>(id))->text(QAccessible::Name);
    };
    EXPECT_EQ(name(3108), "Total time:");
    // A list is heard by its choice and labelled by its label.
    const auto relations =
        QAccessible::queryAccessibleInterface(Find<QWidget>(3391))->relations(QAccessible::Label);
    ASSERT_FALSE(relations.isEmpty());
    EXPECT_EQ(relations.front().first->text(QAccessible::Name), "Limit kind:");
    EXPECT_EQ(name(kSheetOk), "OK");
    EXPECT_EQ(name(kSheetCancel), "Cancel");
    EXPECT_EQ(name(kApplyButton), "Apply");
    QAccessibleInterface* apply =
        QAccessible::queryAccessibleInterface(Find<QWidget>(kApplyButton));
    EXPECT_TRUE(apply->state().disabled);
    Click(3399);
    EXPECT_FALSE(apply->state().disabled);
    Click(kApplyButton);
    EXPECT_TRUE(apply->state().disabled);
}

TEST_F(OptionsSheetTest, EveryInputIsNamedByItsLabel) {
    Open();
    for (const auto& item : m_sheet->Pages()) {
        for (QWidget* control : item->page->findChildren<QWidget*>()) {
            const bool input = qobject_cast<QLineEdit*>(control) != nullptr ||
                               qobject_cast<QSpinBox*>(control) != nullptr ||
                               qobject_cast<QComboBox*>(control) != nullptr ||
                               qobject_cast<QListWidget*>(control) != nullptr;
            if (!input || !control->objectName().startsWith(QLatin1String("id")) ||
                qobject_cast<QComboBox*>(control->parentWidget()) != nullptr) {
                continue;
            }
            bool named = !control->accessibleName().isEmpty();
            for (QLabel* label : item->page->findChildren<QLabel*>()) {
                named = named || (label->buddy() == control && label->text().contains(u'&'));
            }
            EXPECT_TRUE(named) << item->page->TemplateId() << " "
                               << control->objectName().toStdString();
        }
    }
}

/// The controls a page shows: its labels and the controls with identifiers, without the
/// inner parts of the composite ones.
std::vector<QWidget*> ShownControls(QWidget& page) {
    std::vector<QWidget*> controls;
    for (QWidget* w : page.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QLabel*>(w) != nullptr ||
                             (w->objectName().startsWith(QLatin1String("id")) &&
                              qobject_cast<QGroupBox*>(w) == nullptr);
        const bool inner = qobject_cast<QComboBox*>(w->parentWidget()) != nullptr ||
                           qobject_cast<QAbstractSpinBox*>(w->parentWidget()) != nullptr;
        if (control && !inner && w->isVisible()) {
            controls.push_back(w);
        }
    }
    return controls;
}

// Every page in both packs: no control cut short of what its text needs, none over another.
// With OV_SCREENSHOTS set each page is saved there to be looked at.
TEST_F(OptionsSheetTest, EveryPageFitsInBothPacks) {
    const QString shots = qEnvironmentVariable("OV_SCREENSHOTS");
    for (const auto& [pack, name] : {std::pair(kPackEnglish, "en"), std::pair(kPackSlovak, "sk")}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(m_packs.SwitchTo(pack));
        m_settings.EventUseNotification = 1;
        m_settings.PrintGraph = 1;
        WritePresets();
        Open();
        m_sheet->show();
        for (const auto& item : m_sheet->Pages()) {
            const unsigned page = item->page->TemplateId();
            SCOPED_TRACE(page);
            Select(page);
            QApplication::processEvents();
            EXPECT_TRUE(m_sheet->PageRect().contains(
                QRect(item->page->mapTo(m_sheet.get(), QPoint(0, 0)), item->page->size())));
            const std::vector<QWidget*> controls = ShownControls(*item->page);
            EXPECT_FALSE(controls.empty());
            for (QWidget* control : controls) {
                const auto* label = qobject_cast<QLabel*>(control);
                if (label == nullptr || !label->wordWrap()) {
                    EXPECT_GE(control->width(), control->minimumSizeHint().width())
                        << control->objectName().toStdString();
                    EXPECT_GE(control->height(), control->minimumSizeHint().height())
                        << control->objectName().toStdString();
                }
                if (const auto* edit = qobject_cast<QLineEdit*>(control)) {
                    EXPECT_GE(edit->width(),
                              edit->fontMetrics().horizontalAdvance(edit->text()) + 8)
                        << control->objectName().toStdString();
                }
                const QRect a(control->mapTo(item->page, QPoint(0, 0)), control->size());
                EXPECT_TRUE(item->page->rect().contains(a)) << control->objectName().toStdString();
                for (QWidget* other : controls) {
                    if (other == control || other->isAncestorOf(control) ||
                        control->isAncestorOf(other)) {
                        continue;
                    }
                    const QRect b(other->mapTo(item->page, QPoint(0, 0)), other->size());
                    EXPECT_FALSE(a.intersects(b)) << control->objectName().toStdString() << " "
                                                  << other->objectName().toStdString();
                }
            }
            if (!shots.isEmpty()) {
                m_sheet->grab().save(QStringLiteral("%1/options-%2-%3.png")
                                         .arg(shots, QLatin1String(name))
                                         .arg(page));
            }
        }
        m_sheet->OnCommand(kSheetCancel, kNotifyClicked);
    }
}

}  // namespace
}  // namespace ov
