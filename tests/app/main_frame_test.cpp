// The main frame on the offscreen platform over the shipped packs, a temporary data root and
// real month files: the list and its sums, calls joining while it is open, sorting, the
// filter lists, placement across a restart, the commands and menus, and the export.
#include "app/ui/main_frame.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QToolBar>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "app/call_log_writer.h"
#include "app/ui/app_window.h"
#include "app/ui/pack_ui_resources.h"
#include "calllog/call_log_file.h"
#include "settings/registry_key.h"
#include "settings/settings.h"
#include "support/bratislava_time.h"
#include "support/qt_application.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
#include "sysint/autostart.h"
#include "viewer/call_list.h"
#include "viewer/ui/call_export_dialog.h"
#include "viewer/ui/call_list_model.h"
#include "viewer/ui/ov_dialog_view.h"
#include "viewer/ui/ov_list_view.h"

namespace ov {
namespace {

using namespace std::chrono_literals;

const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtApplicationEnvironment<QApplication>);

class FixedStore final : public LanguageSettingsStore {
public:
    std::optional<std::uint32_t> ReadCurrentLng() const override { return kPackEnglish; }
    bool WriteCurrentLng(std::uint32_t) override { return true; }
    std::uint32_t SystemLanguage() const override { return kPackEnglish; }
    std::string LanguageName(std::uint32_t) const override { return {}; }
};

class FailingMessages final : public CallLogMessages {
public:
    void ShowWriteFailure(const std::string& text) override { ADD_FAILURE() << text; }
};

template <typename Condition>
bool WaitFor(Condition done) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(1ms);
    }
    return done();
}

QString Id(int id) {
    return QStringLiteral("id%1").arg(id);
}

class MainFrameTest : public test::BratislavaTime {
protected:
    MainFrameTest() {
        m_packs.AddStandardPacks();
        EXPECT_TRUE(m_packs.ChooseAtStartup()) << m_packs.LastError();
    }

    /// A month of calls: two a day in March 2024 over two entries, every fifth never
    /// connected.
    void SeedMonth() {
        CallLogAppender appender;
        const std::string path = MonthFilePath(Folder(), 2024, 3);
        for (int day = 1; day <= 31; ++day) {
            for (int n = 0; n < 2; ++n) {
                CallRecord r;
                const int i = (day - 1) * 2 + n;
                r.kind = i % 5 == 4 ? KindUnconnected : KindConnected;
                r.startTime = Local(2024, 3, day, 9 + n * 8, i % 60);
                r.connectedSeconds = r.kind == KindConnected ? 300 + i * 37 : 0;
                r.dialingSeconds = 20 + i % 7;
                r.price = static_cast<float>(0.25 + (i % 9) * 0.5);
                r.userName = "alice";
                r.entryName = n == 0 ? "Work ISP" : "Home, \"fast\"";
                r.deviceName = "modem0";
                r.deviceType = "modem";
                ASSERT_TRUE(appender.Append(path, r));
                m_settings.AddEntry(r.entryName);
            }
        }
        m_settings.AddUser("alice");
        m_settings.AddMonth(2024, 2);
    }

    std::unique_ptr<MainFrame> Open() {
        MainFrame::Parts parts{m_settings,
                               m_packs,
                               m_resources,
                               Folder(),
                               &m_writer,
                               [this] { return m_running; },
                               [this](unsigned command) { m_commands.push_back(command); }};
        auto frame = std::make_unique<MainFrame>(std::move(parts));
        frame->show();
        return frame;
    }

    std::string Folder() const { return m_home.File("LogData"); }

    static QAction* Action(const MainFrame& frame, unsigned command) {
        return frame.findChild<QAction*>(Id(static_cast<int>(command)));
    }
    static QString Field(const MainFrame& frame, int id) {
        const auto* edit = frame.findChild<QLineEdit*>(Id(id));
        return edit == nullptr ? QStringLiteral("<none>") : edit->text();
    }
    static QStringList Row(const MainFrame& frame, int row) {
        QStringList cells;
        const QAbstractItemModel* model = frame.ListView()->model();
        for (int c = 0; c < model->columnCount(); ++c) {
            cells << model->index(row, c).data().toString();
        }
        return cells;
    }

    test::ChildHome m_home;
    FixedStore m_store;
    LanguagePacks m_packs{m_store};
    PackUiResources m_resources{m_packs};
    Settings m_settings{m_packs};
    ManualClock m_clock{Local(2024, 3, 31, 20)};
    FailingMessages m_messages;
    CallLogWriter m_writer{m_settings, m_packs, m_clock, m_messages, Folder(), "alice"};
    bool m_running = true;
    std::vector<unsigned> m_commands;
};

TEST_F(MainFrameTest, ShowsTheCallsWithTheirCellsIconsTitlesAndSums) {
    SeedMonth();
    auto frame = Open();
    CallList& list = frame->List();
    const QAbstractItemModel* model = frame->ListView()->model();
    ASSERT_EQ(model->rowCount(), 62);
    ASSERT_EQ(list.Count(), 62u);

    // The visible columns' list titles, as the header and the accessibility bus show them.
    const QStringList titles = {"Kind", "Start", "Time online", "Price", "Entry"};
    ASSERT_EQ(model->columnCount(), titles.size());
    for (int c = 0; c < titles.size(); ++c) {
        EXPECT_EQ(model->headerData(c, Qt::Horizontal).toString(), titles[c]);
        const int id = list.VisibleColumns()[static_cast<std::size_t>(c)];
        EXPECT_EQ(frame->ListView()->header()->sectionSize(c), frame->ListView()->ColumnWidth(id));
        EXPECT_GE(frame->ListView()->ColumnWidth(id), kColumnTable[id].width);
    }
    // Rows read as the list's cells, with the kind's icon in the first column only.
    const struct {
        int row;
        QStringList cells;
    } rows[] = {
        {0, {"Connected", "01.03.2024  09:00:00", "00:05:00", "$0.25", "Work ISP"}},
        {4, {"Not connected", "03.03.2024  09:04:00", "00:00:00", "$2.25", "Work ISP"}},
        {61, {"Connected", "31.03.2024  17:01:00", "00:42:37", "$3.75", "Home, \"fast\""}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        QStringList expected;
        const CallRow callRow = list.Row(static_cast<std::size_t>(r.row));
        for (const std::int16_t id : list.VisibleColumns()) {
            expected << QString::fromStdString(list.CellText(id, &callRow));
        }
        EXPECT_EQ(Row(*frame, r.row), expected);
        EXPECT_EQ(Row(*frame, r.row).join(u'|').toStdString(), r.cells.join(u'|').toStdString());
        EXPECT_FALSE(model->index(r.row, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        EXPECT_FALSE(model->index(r.row, 1).data(Qt::DecorationRole).isValid());
    }

    // The sums fields hold the list's sums, each named by its caption.
    for (const SumsField& field : list.Sums()) {
        SCOPED_TRACE(field.id);
        EXPECT_EQ(Field(*frame, field.id).toStdString(), field.text);
    }
    EXPECT_EQ(Field(*frame, 3072), "50");  // the connected calls
    EXPECT_EQ(Field(*frame, 3079), "31");
    const struct {
        int id;
        const char* name;
    } names[] = {{3035, "Month:"},  {3036, "Entry:"},       {3037, "User:"},
                 {3038, "Device:"}, {3039, "Device type:"}, {3071, "Price:"},
                 {3072, "Calls:"},  {3068, "First call:"},  {3075, "Time per day:"}};
    for (const auto& n : names) {
        SCOPED_TRACE(n.id);
        QWidget* control = frame->findChild<QWidget*>(Id(n.id));
        ASSERT_NE(control, nullptr);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(accessible, nullptr);
        // A field is named by its label; a drop-down list, whose name on this platform is
        // its value, is labelled by it.
        std::string label;
        for (const auto& [other, relation] : accessible->relations(QAccessible::Label)) {
            label = other->text(QAccessible::Name).toStdString();
        }
        EXPECT_EQ(label, n.name);
        if (qobject_cast<QLineEdit*>(control) != nullptr) {
            EXPECT_EQ(accessible->text(QAccessible::Name).toStdString(), n.name);
        }
    }
    // The status bar counts the connected calls and shows the monitor's state.
    EXPECT_EQ(frame->findChild<QLabel*>("StatusPane1")->text(), "50 calls");
    EXPECT_EQ(frame->findChild<QLabel*>("StatusPane2")->text(), "Monitor running");
}

TEST_F(MainFrameTest, ACallLoggedWhileOpenJoinsTheListAndItsSumsAndItsEntryTheList) {
    SeedMonth();
    auto frame = Open();
    QComboBox* entries = frame->FormView()->List(FilterListId::Entries);
    ASSERT_NE(entries, nullptr);
    const int entriesBefore = entries->count();

    ConnectionRecord call;
    call.entryName = "Night ISP";
    call.deviceName = "modem0";
    call.deviceType = "modem";
    call.startTime = Local(2024, 3, 31, 19);
    call.connectTime = call.startTime + 10;
    call.connectedSeconds = 600;
    call.dialingSeconds = 10;
    m_writer.AppendCallRecord(KindConnected, &call);

    ASSERT_EQ(frame->ListView()->model()->rowCount(), 63);
    EXPECT_EQ(Row(*frame, 62)[0], "Connected");
    EXPECT_EQ(Row(*frame, 62)[4], "Night ISP");
    EXPECT_EQ(Field(*frame, 3072), "51");
    EXPECT_EQ(Field(*frame, 3069), "31.03.2024  19:00:00");
    EXPECT_EQ(entries->count(), entriesBefore + 1);
    EXPECT_EQ(entries->itemText(entries->count() - 1), "Night ISP");

    // Closed, the frame hears of no more calls: the writer's next record reaches no list.
    frame->close();
    frame.reset();
    m_writer.AppendCallRecord(KindConnected, &call);
    EXPECT_EQ(m_writer.PendingCount(), 0u);
}

TEST_F(MainFrameTest, AClickOnAColumnTitleSortsItAscendingThenDescending) {
    SeedMonth();
    auto frame = Open();
    QHeaderView* header = frame->ListView()->header();
    const QAbstractItemModel* model = frame->ListView()->model();
    auto lastPrice = [&] {
        return model->index(model->rowCount() - 1, 3).data().toString().toStdString();
    };
    const struct {
        int column;
        Qt::SortOrder order;
        std::string first;  // the first row's price (column 3) or kind (column 0)
    } clicks[] = {
        {3, Qt::AscendingOrder, "$0.25"},          {3, Qt::DescendingOrder, "$4.25"},
        {3, Qt::AscendingOrder, "$0.25"},          {0, Qt::AscendingOrder, "Connected"},
        {0, Qt::DescendingOrder, "Not connected"},
    };
    for (const auto& c : clicks) {
        SCOPED_TRACE(c.column);
        header->sectionClicked(c.column);
        EXPECT_EQ(header->sortIndicatorSection(), c.column);
        EXPECT_EQ(header->sortIndicatorOrder(), c.order);
        EXPECT_EQ(model->index(0, c.column).data().toString().toStdString(), c.first);
        if (c.column == 3) {
            EXPECT_EQ(lastPrice(), c.order == Qt::AscendingOrder ? "$4.25" : "$0.25");
        }
    }
    // The widths the user gave the columns stay through a sort.
    header->resizeSection(1, 190);
    header->sectionClicked(1);
    EXPECT_EQ(header->sectionSize(1), 190);
    // The export keeps the load order.
    EXPECT_EQ(frame->List().ExportText().find("01.03.2024  09:00:00") <
                  frame->List().ExportText().find("31.03.2024"),
              true);
}

TEST_F(MainFrameTest, AFilterChoiceReloadsTheListAndIsStored) {
    SeedMonth();
    auto frame = Open();
    QComboBox* entries = frame->FormView()->List(FilterListId::Entries);
    QComboBox* months = frame->FormView()->List(FilterListId::Months);
    ASSERT_NE(entries, nullptr);
    ASSERT_NE(months, nullptr);
    EXPECT_EQ(months->itemText(0), "All months");
    EXPECT_EQ(months->itemText(1), "Month sums");
    EXPECT_EQ(months->currentIndex(), 0);

    const int work = entries->findText("Work ISP");
    ASSERT_GT(work, 0);
    entries->setCurrentIndex(work);
    EXPECT_EQ(frame->ListView()->model()->rowCount(), 31);
    EXPECT_EQ(Row(*frame, 30)[4], "Work ISP");

    // One line per month in the month-sums mode.
    months->setCurrentIndex(1);
    ASSERT_EQ(frame->ListView()->model()->rowCount(), 1);
    EXPECT_EQ(Row(*frame, 0)[0], "Month sum");
    EXPECT_EQ(Row(*frame, 0)[1], "2024 March");

    // Stored: a settings object loaded afresh selects the same items.
    Settings reloaded(m_packs);
    reloaded.Exchange(false);
    EXPECT_EQ(reloaded.ListEntries.SelectedIndex(), work);
    EXPECT_EQ(reloaded.Months.SelectedIndex(), 1);
    frame.reset();

    // And a frame opened on them shows them selected.
    m_settings.Exchange(false);
    auto again = Open();
    EXPECT_EQ(again->FormView()->List(FilterListId::Entries)->currentIndex(), work);
    EXPECT_EQ(again->FormView()->List(FilterListId::Months)->currentIndex(), 1);
    EXPECT_EQ(again->ListView()->model()->rowCount(), 1);
}

TEST_F(MainFrameTest, PlacementAndSplitterSurviveARestart) {
    {
        auto frame = Open();
        // No placement stored: the list gets 250 pixels.
        EXPECT_EQ(frame->Splitter()->sizes().front(), kListPaneDefault);
        frame->setGeometry(QRect(110, 90, 700, 520));
        ASSERT_TRUE(WaitFor([&] { return frame->geometry() == QRect(110, 90, 700, 520); }));
        const int rows = frame->Splitter()->sizes()[0] + frame->Splitter()->sizes()[1];
        frame->Splitter()->setSizes({180, rows - 180});
        ASSERT_TRUE(WaitFor([&] { return frame->Splitter()->sizes().front() == 180; }));
        frame->close();
    }
    Settings restarted(m_packs);
    restarted.Exchange(false);
    EXPECT_EQ(restarted.PosSprliter, 180);
    EXPECT_EQ(restarted.WinPos.length, 44u);
    m_settings.Exchange(false);
    auto frame = Open();
    EXPECT_EQ(frame->geometry(), QRect(110, 90, 700, 520));
    EXPECT_EQ(frame->Splitter()->sizes().front(), 180);

    // A placement off every screen comes back onto the screen; the list keeps 50 pixels at
    // least.
    frame.reset();
    m_settings.WinPos.rcNormalPosition = {5000, 5000, 5600, 5400};
    m_settings.PosSprliter = 10;
    frame = Open();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.intersects(frame->geometry()));
    EXPECT_EQ(frame->size(), QSize(600, 400));
    EXPECT_GE(frame->Splitter()->sizes().front(), kListPaneMinimum);
}

TEST_F(MainFrameTest, TheMenusCarryEveryCommandWithAMnemonicAndForwardTheProgramsOnes) {
    auto frame = Open();
    for (const unsigned command :
         {ID_EXPORT_TEXT, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_FILE_PAGE_SETUP, ID_APP_EXIT,
          ID_MONITOR_TOGGLE, ID_MONITOR_START, ID_MONITOR_STOP, ID_HANGUP_ALL, ID_OPTIONS,
          ID_HELP_CONTENTS, ID_WEB_PAGE, ID_ABOUT}) {
        SCOPED_TRACE(command);
        QAction* action = Action(*frame, command);
        ASSERT_NE(action, nullptr);
        EXPECT_TRUE(action->text().contains(u'&'));
        EXPECT_TRUE(action->isEnabled());
    }
    for (QAction* top : frame->menuBar()->actions()) {
        EXPECT_TRUE(top->text().contains(u'&')) << top->text().toStdString();
    }
    // The tool bar shows the images of its commands.
    const auto* bar = frame->findChild<QToolBar*>("ToolBar");
    ASSERT_NE(bar, nullptr);
    int buttons = 0;
    for (QAction* action : bar->actions()) {
        if (!action->isSeparator()) {
            ++buttons;
            EXPECT_FALSE(action->icon().isNull());
        }
    }
    EXPECT_EQ(buttons, 9);

    // The monitor's state: checks and the toggle's text.
    const struct {
        bool running;
        bool startChecked;
        bool stopChecked;
        QString toggle;
    } states[] = {{true, true, false, "&Stop monitor"}, {false, false, true, "&Start monitor"}};
    for (const auto& s : states) {
        m_running = s.running;
        frame->UpdateMenus();
        EXPECT_EQ(Action(*frame, ID_MONITOR_START)->isChecked(), s.startChecked);
        EXPECT_EQ(Action(*frame, ID_MONITOR_STOP)->isChecked(), s.stopChecked);
        EXPECT_EQ(Action(*frame, ID_MONITOR_TOGGLE)->text(), s.toggle);
    }

    // The program's commands reach the application window once the menu's handling is over.
    for (const unsigned command : {ID_OPTIONS, ID_MONITOR_START, ID_MONITOR_STOP, ID_MONITOR_TOGGLE,
                                   ID_ABOUT, ID_HELP_CONTENTS, ID_WEB_PAGE, ID_HANGUP_ALL}) {
        Action(*frame, command)->trigger();
    }
    EXPECT_TRUE(m_commands.empty());
    ASSERT_TRUE(WaitFor([&] { return m_commands.size() == 8; }));
    EXPECT_EQ(m_commands, (std::vector<unsigned>{ID_OPTIONS, ID_MONITOR_START, ID_MONITOR_STOP,
                                                 ID_MONITOR_TOGGLE, ID_ABOUT, ID_HELP_CONTENTS,
                                                 ID_WEB_PAGE, ID_HANGUP_ALL}));
}

TEST_F(MainFrameTest, ExitSavesThePlacementWritesTheAutostartWhenSetThenExits) {
    UseDesktopAutostart(
        m_home.Paths()
            .autostartFolder);  // the Run key is the desktop's autostart folder, as in the program
    for (const std::int32_t autoOpen : {0, 1}) {
        SCOPED_TRACE(autoOpen);
        RegistryKey run(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
        run.DeleteValue("Orvanta");
        m_commands.clear();
        m_settings.AutoOpen = autoOpen;
        m_settings.PosSprliter = -1;
        auto frame = Open();
        const int rows = frame->Splitter()->sizes()[0] + frame->Splitter()->sizes()[1];
        frame->Splitter()->setSizes({150, rows - 150});
        Action(*frame, ID_APP_EXIT)->trigger();
        ASSERT_TRUE(WaitFor([&] { return !m_commands.empty(); }));
        EXPECT_EQ(m_commands, std::vector<unsigned>{ID_APP_EXIT});
        Settings stored(m_packs);
        stored.Exchange(false);
        EXPECT_EQ(stored.PosSprliter, 150);
        std::string path;
        EXPECT_EQ(run.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                           KEY_READ) &&
                      run.ReadString("Orvanta", path),
                  autoOpen != 0);
        if (autoOpen != 0) {
            EXPECT_EQ(path, QCoreApplication::applicationFilePath().toStdString());
        }
    }
}

TEST_F(MainFrameTest, TheExportDialogOffersItsThreeTypesAndWritesWhatTheCommandLineWrites) {
    SeedMonth();
    {
        // A text with a comma, quotes, a line break and letters beyond ASCII.
        CallRecord odd;
        odd.startTime = Local(2024, 4, 2, 8);
        odd.connectedSeconds = 61;
        odd.price = 1.5f;
        odd.userName = "alice";
        odd.entryName = "Caf\xc3\xa9 \"Zlat\xc3\xbd\",\nnoc";
        CallLogAppender appender;
        ASSERT_TRUE(appender.Append(MonthFilePath(Folder(), 2024, 4), odd));
    }
    auto frame = Open();
    ASSERT_EQ(frame->List().Count(), 63u);
    const auto dialog = MakeExportDialog(m_resources, frame.get());
    EXPECT_EQ(dialog->windowTitle(), "Save to file");
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(dialog->nameFilters(),
              QStringList({"Log files (*.log)", "CSV files (*.csv)", "JSON files (*.json)"}));
    EXPECT_EQ(dialog->defaultSuffix(), "log");
    EXPECT_EQ(ExportFormatOf(*dialog), ExportFormat::Text);

    // Sorted on the screen; the files keep the load order, byte for byte what the CLI writes.
    frame->ListView()->header()->sectionClicked(3);
    auto read = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    };
    const struct {
        int type;
        ExportFormat format;
        const char* name;
        const char* suffix;
    } types[] = {{1, ExportFormat::Csv, "csv", "csv"},
                 {2, ExportFormat::Json, "json", "json"},
                 {0, ExportFormat::Text, "text", "log"}};
    for (const auto& t : types) {
        SCOPED_TRACE(t.name);
        const QString filter = dialog->nameFilters()[t.type];
        dialog->selectNameFilter(filter);
        Q_EMIT dialog->filterSelected(filter);
        EXPECT_EQ(ExportFormatOf(*dialog), t.format);
        EXPECT_EQ(dialog->defaultSuffix().toStdString(), t.suffix);

        const std::string ours = m_home.File(std::string("ours.") + t.suffix);
        QString error;
        ASSERT_TRUE(WriteCallExport(frame->List(), t.format, QString::fromStdString(ours), &error))
            << error.toStdString();
        const std::string cli = m_home.File(std::string("cli.") + t.suffix);
        const test::ProcessResult result = test::RunProcess(
            {OV_CLI_PATH, "calls", "export", cli, "--format", t.name, "--lang", "1033"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(read(ours), read(cli));
        if (t.format == ExportFormat::Json) {
            const QJsonDocument document =
                QJsonDocument::fromJson(QByteArray::fromStdString(read(ours)));
            ASSERT_TRUE(document.isArray());
            ASSERT_EQ(document.array().size(), 63);
            EXPECT_EQ(document.array().last().toObject().value("entry").toString(),
                      QString::fromUtf8("Caf\xc3\xa9 \"Zlat\xc3\xbd\",\nnoc"));
        }
    }
    EXPECT_EQ(read(m_home.File("ours.log")).substr(0, 4), "Kind");

    // A file that cannot be written is no export.
    QString error;
    EXPECT_FALSE(WriteCallExport(frame->List(), ExportFormat::Text,
                                 QString::fromStdString(m_home.File("none/x.log")), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(MainFrameTest, ColumnsChangedByTheOptionsAndANewLanguageRebuildTheFrame) {
    SeedMonth();
    MainFrameHost host([this] {
        return MainFrame::Parts{m_settings,     m_packs,   m_resources,
                                Folder(),       &m_writer, [] { return true; },
                                [](unsigned) {}};
    });
    host.Open();
    ASSERT_NE(host.Frame(), nullptr);
    const QAbstractItemModel* model = host.Frame()->ListView()->model();
    ASSERT_EQ(model->columnCount(), 5);

    // The options turn the user and device name columns on and the price off.
    m_settings.Columns = {1, 1, 1, 0, 0, 1, 1, 1, 0};
    host.Frame()->List().RebuildColumns(true);
    host.Frame()->List().Reload();
    QStringList titles;
    for (int c = 0; c < model->columnCount(); ++c) {
        titles << model->headerData(c, Qt::Horizontal).toString();
    }
    EXPECT_EQ(titles,
              QStringList({"Kind", "Start", "Time online", "User", "Entry", "Device name"}));
    EXPECT_EQ(Row(*host.Frame(), 0).join(u'|'),
              "Connected|01.03.2024  09:00:00|00:05:00|alice|Work ISP|modem0");
    EXPECT_EQ(host.Frame()->ListView()->header()->sectionSize(5),
              host.Frame()->ListView()->ColumnWidth(ColDeviceName));

    // A new language: the frame is built again in it, where it was.
    host.Frame()->setGeometry(QRect(70, 60, 640, 480));
    ASSERT_TRUE(WaitFor([&] { return host.Frame()->geometry() == QRect(70, 60, 640, 480); }));
    ASSERT_TRUE(m_packs.SwitchTo(kPackSlovak));
    m_settings.RefreshLanguageTexts();
    host.Rebuild();
    ASSERT_NE(host.Frame(), nullptr);
    EXPECT_EQ(host.Frame()->geometry(), QRect(70, 60, 640, 480));
    EXPECT_EQ(host.Frame()->ListView()->model()->headerData(0, Qt::Horizontal).toString(), "Druh");
    EXPECT_EQ(host.Frame()->FormView()->List(FilterListId::Months)->itemText(0),
              QString::fromUtf8("V\xc5\xa1"
                                "etky mesiace"));
    host.Destroy();
    EXPECT_EQ(host.Frame(), nullptr);
}

// With OV_SCREENSHOTS set to a folder, the frame over a month of calls in each pack is saved
// there to be looked at.
TEST_F(MainFrameTest, AMonthOfCallsInEachPack) {
    SeedMonth();
    for (const auto& [pack, name] :
         {std::pair(kPackEnglish, "English"), std::pair(kPackSlovak, "Slovak")}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(m_packs.SwitchTo(pack));
        m_settings.RefreshLanguageTexts();
        auto frame = Open();
        frame->resize(900, 560);
        frame->Splitter()->setSizes({360, 140});
        ASSERT_EQ(frame->ListView()->model()->rowCount(), 62);
        EXPECT_FALSE(Field(*frame, 3071).isEmpty());
        // Every label and field of the form is wide enough for its text.
        for (const QLabel* label : frame->FormView()->findChildren<QLabel*>()) {
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        }
        if (const QString shots = qEnvironmentVariable("OV_SCREENSHOTS"); !shots.isEmpty()) {
            frame->ListView()->setFocus();
            frame->ListView()->setCurrentIndex(frame->ListView()->model()->index(2, 0));
            QCoreApplication::processEvents();
            EXPECT_TRUE(frame->grab().save(shots + QStringLiteral("/main_frame_%1.png").arg(name)));
        }
    }
}

}  // namespace
}  // namespace ov
