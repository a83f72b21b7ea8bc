#include "app/ui/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <map>

#include "app/call_log_writer.h"
#include "app/ui/app_window.h"
#include "dialogs/ui/pack_menu.h"
#include "dialogs/ui/ui_resources.h"
#include "printing/report_document.h"
#include "printing/ui/page_setup_dialog.h"
#include "printing/ui/report_print.h"
#include "settings/settings.h"
#include "sysint/shortcuts.h"
#include "viewer/call_list.h"
#include "viewer/ui/call_list_model.h"
#include "viewer/ui/ov_dialog_view.h"
#include "viewer/ui/ov_list_view.h"

namespace ov {

namespace {

/// How often the tool bar and the status bar follow the monitor while the frame shows.
constexpr int kStateIntervalMs = 1000;
/// The size of a frame with no placement stored.
constexpr QSize kDefaultSize(760, 520);

/// A newly logged record reaches the open list and its drop-down lists.
class FrameSink final : public CallListSink {
public:
    explicit FrameSink(CallList& list) : m_list(list) {}
    void AddNewItems() override { m_list.AddNewItems(); }
    void AddNewRecord(const CallRecord& record, bool showTotals) override {
        m_list.AddNewRecord(record, showTotals);
    }

private:
    CallList& m_list;
};

/// Commands of the tool-bar images, in image order, from the pack's map beside the bitmap
/// ("index<TAB>command" lines, # comments).
std::map<int, unsigned> ToolBarCommands(const UiResources& resources) {
    std::map<int, unsigned> commands;
    QFile file(resources.FilePath(QStringLiteral("%1.tsv").arg(kToolBarBitmap)));
    if (!file.open(QIODevice::ReadOnly)) {
        return commands;
    }
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u'#')) {
            continue;
        }
        const auto fields = line.trimmed().split(u'\t');
        bool okIndex = false;
        bool okCommand = false;
        if (fields.size() == 2) {
            const int index = fields[0].toInt(&okIndex);
            const unsigned command = fields[1].toUInt(&okCommand);
            if (okIndex && okCommand) {
                commands[index] = command;
            }
        }
    }
    return commands;
}

/// A menu text as a tool tip: without the mnemonic's ampersand and the trailing dots.
QString ToolTipOf(QString text) {
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    while (text.endsWith(u'.')) {
        text.chop(1);
    }
    return text;
}

}  // namespace

QRect PlacementOnScreen(const QRect& stored) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* screen : screens) {
        // Enough of the window on a screen to take hold of it.
        const QRect common = screen->availableGeometry().intersected(stored);
        if (common.width() >= 50 && common.height() >= 30) {
            return stored;
        }
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr) {
        return stored;
    }
    const QRect area = primary->availableGeometry();
    QRect placed(area.topLeft(), stored.size().boundedTo(area.size()));
    placed.moveCenter(area.center());
    return placed;
}

MainFrame::MainFrame(Parts parts, QWidget* parent)
    : QMainWindow(parent), m_parts(std::move(parts)) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(Text(kMainFrameTitle));
    setWindowIcon(m_parts.resources.Icon(kIconWatching));

    m_list = std::make_unique<CallList>(m_parts.settings, m_parts.texts, m_parts.logFolder);
    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(QStringLiteral("Splitter"));
    m_splitter->setChildrenCollapsible(false);
    m_listView = new OVListView(*m_list, m_parts.resources, m_splitter);
    m_listView->setMinimumHeight(kListPaneMinimum);
    m_formView = new OVDialogView(*m_list, m_parts.resources, m_splitter);
    m_splitter->addWidget(m_listView);
    m_splitter->addWidget(m_formView);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    m_splitter->setSizes({kListPaneHeight, kFormPaneHeight});
    setCentralWidget(m_splitter);

    CallListHooks hooks;
    m_listView->FillHooks(hooks);
    m_formView->FillHooks(hooks);
    auto showTotals = std::move(hooks.showTotals);
    hooks.showTotals = [this, showTotals](const CallTotals& totals) {
        showTotals(totals);
        UpdateMenus();  // the count pane
    };
    m_list->SetHooks(std::move(hooks));
    m_list->RebuildColumns(false);
    m_formView->FillLists();
    {
        // The load may read many months.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_list->Reload();
        QApplication::restoreOverrideCursor();
    }
    m_formView->setFocus();

    BuildMenus();
    BuildToolBar();
    BuildStatusBar();
    RestorePlacement();

    m_sink = std::make_unique<FrameSink>(*m_list);
    if (m_parts.writer != nullptr) {
        m_parts.writer->SetCallListSink(m_sink.get());
    }
    m_stateTimer = new QTimer(this);
    m_stateTimer->setInterval(kStateIntervalMs);
    connect(m_stateTimer, &QTimer::timeout, this, [this] {
        if (isVisible()) {
            UpdateMenus();
        }
    });
    m_stateTimer->start();
    UpdateMenus();
}

MainFrame::~MainFrame() {
    DetachSink();
    // The views read the list while they go.
    m_list->SetHooks({});
    delete m_splitter;
    m_splitter = nullptr;
}

void MainFrame::DetachSink() {
    if (m_parts.writer != nullptr && m_sink) {
        m_parts.writer->SetCallListSink(nullptr);
    }
    m_sink.reset();
}

QString MainFrame::Text(unsigned number) const {
    return m_parts.resources.Text(number);
}

void MainFrame::BuildMenus() {
    const QString path = m_parts.resources.MenuPath(kMainFrameMenu);
    for (int index = 0;; ++index) {
        std::unique_ptr<QMenu> menu = LoadPackMenu(path, index, this);
        if (!menu) {
            break;
        }
        QMenu* popup = menu.release();
        menuBar()->addMenu(popup);
        connect(popup, &QMenu::aboutToShow, this, &MainFrame::UpdateMenus);
        connect(popup, &QMenu::triggered, this, [this](QAction* action) {
            if (action->menu() == nullptr && !action->isSeparator()) {
                OnCommand(action->data().toUInt());
            }
        });
    }
    for (const unsigned command : {ID_MONITOR_START, ID_MONITOR_STOP}) {
        if (QAction* action = Command(command)) {
            action->setCheckable(true);
        }
    }
}

QAction* MainFrame::Command(unsigned command) const {
    for (QAction* top : menuBar()->actions()) {
        if (top->menu() != nullptr) {
            if (QAction* found = FindCommand(*top->menu(), command)) {
                return found;
            }
        }
    }
    return nullptr;
}

void MainFrame::BuildToolBar() {
    QToolBar* bar = addToolBar(Text(kMainFrameTitle));
    bar->setObjectName(QStringLiteral("ToolBar"));
    bar->setIconSize(QSize(kToolBarImageSize, kToolBarImageSize));
    bar->setMovable(false);
    const std::vector<QIcon> images =
        SplitImageStrip(m_parts.resources.Bitmap(kToolBarBitmap), kToolBarImageSize, Qt::white);
    const auto commands = ToolBarCommands(m_parts.resources);
    // Separators between the groups: export, printing, options, monitor, help.
    const std::vector<unsigned> groupStarts = {ID_FILE_PRINT, ID_OPTIONS, ID_MONITOR_START,
                                               ID_HELP_CONTENTS};
    for (const auto& [index, command] : commands) {
        if (index < 0 || static_cast<std::size_t>(index) >= images.size()) {
            continue;
        }
        QAction* action = Command(command);
        if (action == nullptr) {
            // A command the menu does not carry still works from its button.
            action = new QAction(this);
            action->setData(command);
            action->setObjectName(QStringLiteral("id%1").arg(command));
            connect(action, &QAction::triggered, this, [this, id = command] { OnCommand(id); });
        }
        // The menus show the images of the buttons too.
        action->setIcon(images[static_cast<std::size_t>(index)]);
        action->setToolTip(ToolTipOf(action->text()));
        if (std::find(groupStarts.begin(), groupStarts.end(), command) != groupStarts.end() &&
            !bar->actions().isEmpty()) {
            bar->addSeparator();
        }
        bar->addAction(action);
    }
}

void MainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        m_panes[i] = new QLabel(bar);
        m_panes[i]->setObjectName(QStringLiteral("StatusPane%1").arg(i));
        if (i == 0) {
            bar->addWidget(m_panes[i], 1);
        } else {
            m_panes[i]->setFrameShape(QFrame::Panel);
            m_panes[i]->setFrameShadow(QFrame::Sunken);
            bar->addPermanentWidget(m_panes[i]);
        }
    }
    m_panes[0]->setText(Text(kStatusReady));
}

void MainFrame::UpdateMenus() {
    const bool running = m_parts.monitorRunning && m_parts.monitorRunning();
    if (QAction* start = Command(ID_MONITOR_START)) {
        start->setChecked(running);
    }
    if (QAction* stop = Command(ID_MONITOR_STOP)) {
        stop->setChecked(!running);
    }
    if (QAction* toggle = Command(ID_MONITOR_TOGGLE)) {
        toggle->setText(Text(running ? kTextStopMonitor : kTextStartMonitor));
    }
    if (m_panes[1] != nullptr) {
        QString calls = Text(kStatusCalls);
        calls = calls.isEmpty() ? QString::number(m_list->Totals().count)
                                : QString::asprintf(calls.toUtf8().constData(),
                                                    static_cast<int>(m_list->Totals().count));
        m_panes[1]->setText(calls);
        m_panes[2]->setText(Text(running ? kStatusRunning : kStatusStopped));
        const auto& months = m_list->Choices()[FilterListId::Months];
        m_panes[3]->setText(
            months.selected >= 0 && static_cast<std::size_t>(months.selected) < months.items.size()
                ? QString::fromStdString(months.items[static_cast<std::size_t>(months.selected)])
                : QString());
    }
}

void MainFrame::RestorePlacement() {
    const WindowPlacement& stored = m_parts.settings.WinPos;
    if (stored.length == sizeof(WindowPlacement)) {
        // Only the position and size are taken; how it was shown is not.
        const StoredRect& r = stored.rcNormalPosition;
        const QRect rect(r.left, r.top, r.right - r.left, r.bottom - r.top);
        if (rect.width() > 0 && rect.height() > 0) {
            setGeometry(PlacementOnScreen(rect));
        } else {
            resize(kDefaultSize);
        }
    } else {
        resize(kDefaultSize);
    }
    int height = m_parts.settings.PosSprliter;
    if (height == -1) {
        height = kListPaneDefault;
    }
    m_listHeight = std::max(height, kListPaneMinimum);
    ApplySplitter();
}

void MainFrame::ApplySplitter() {
    const QList<int> sizes = m_splitter->sizes();
    int total = 0;
    for (const int size : sizes) {
        total += size;
    }
    // Until the window is laid out the splitter has no height of its own to share.
    if (total <= 0) {
        total = m_listHeight + kFormPaneHeight;
    }
    m_splitter->setSizes({m_listHeight, std::max(total - m_listHeight, 1)});
}

void MainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_splitterPlaced) {
        // Now laid out at its size: the saved height is the list's, not a share of it.
        m_splitterPlaced = true;
        if (QLayout* frameLayout = layout()) {
            frameLayout->activate();
        }
        ApplySplitter();
    }
}

void MainFrame::SavePlacement() {
    WindowPlacement& placement = m_parts.settings.WinPos;
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    placement.length = sizeof(WindowPlacement);
    placement.flags = 0;
    placement.showCmd = isMaximized() ? 3 : 1;
    placement.rcNormalPosition = {normal.left(), normal.top(), normal.left() + normal.width(),
                                  normal.top() + normal.height()};
    const QList<int> sizes = m_splitter->sizes();
    if (!sizes.isEmpty()) {
        m_parts.settings.PosSprliter = sizes.front();
    }
    m_parts.settings.ExchangePositions(true);
}

void MainFrame::closeEvent(QCloseEvent* event) {
    SavePlacement();
    // A frame opened again before this one is gone takes the new calls.
    DetachSink();
    event->accept();
    Q_EMIT closed();
}

void MainFrame::Forward(unsigned command) {
    // After the menu's handling is over: the command may close or rebuild this frame.
    auto forward = m_parts.appCommand;
    if (!forward) {
        return;
    }
    QPointer<MainFrame> self(this);
    QTimer::singleShot(0, qApp, [forward, command, self] {
        forward(command);
        if (self) {
            self->UpdateMenus();
        }
    });
}

void MainFrame::OnCommand(unsigned command) {
    switch (command) {
        case ID_EXPORT_TEXT:
            m_listView->RunExport();
            return;
        case ID_FILE_PRINT:
            Print(false);
            return;
        case ID_FILE_PRINT_PREVIEW:
            Print(true);
            return;
        case ID_FILE_PAGE_SETUP:
            PageSetup();
            return;
        case ID_APP_EXIT:
            Exit();
            return;
        case 0:
            return;
        default:
            Forward(command);
            return;
    }
}

void MainFrame::Exit() {
    SavePlacement();
    if (m_parts.settings.AutoOpen != 0) {
        SetAutoStart(m_parts.texts.String(kProductName),
                     QCoreApplication::applicationFilePath().toStdString());
    }
    Forward(ID_APP_EXIT);
}

void MainFrame::Print(bool preview) {
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    const ReportDocument document = MakeReportDocument(*m_list, m_parts.settings, m_list->Texts());
    if (preview) {
        PreviewReport(document, *m_printer, this);
        return;
    }
    if (m_list->Count() == 0) {
        QMessageBox::information(this, windowTitle(), Text(kNothingToPrint));
        return;
    }
    PrintReport(document, *m_printer, this);
}

void MainFrame::PageSetup() {
    QString printerName;
    if (!RunPageSetup(m_parts.settings.PrintPage, m_parts.resources, this, &printerName)) {
        return;
    }
    m_parts.settings.ExchangeViewAndPrint(true);
    if (!printerName.isEmpty()) {
        if (!m_printer) {
            m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        }
        m_printer->setPrinterName(printerName);
    }
}

MainFrameHost::MainFrameHost(std::function<MainFrame::Parts()> makeParts)
    : m_makeParts(std::move(makeParts)) {}

MainFrameHost::~MainFrameHost() {
    Destroy();
    // Closed frames whose deletion the event loop did not get to any more.
    for (const QPointer<MainFrame>& closing : m_closing) {
        delete closing.data();
    }
}

void MainFrameHost::Open() {
    if (m_frame == nullptr) {
        m_frame = new MainFrame(m_makeParts());
        QObject::connect(m_frame, &MainFrame::closed, m_frame, [this] {
            // Gone for the program at once; the object goes once its close is over.
            MainFrame* closing = m_frame;
            m_frame = nullptr;
            closing->deleteLater();
            m_closing.emplace_back(closing);
        });
    }
    if (m_frame->isMinimized()) {
        m_frame->showNormal();
    } else {
        m_frame->show();
    }
    m_frame->raise();
    m_frame->activateWindow();
}

void MainFrameHost::Rebuild() {
    if (m_frame == nullptr) {
        return;
    }
    m_frame->SavePlacement();
    Destroy();
    Open();
}

void MainFrameHost::Destroy() {
    delete m_frame;
    m_frame = nullptr;
}

}  // namespace ov
