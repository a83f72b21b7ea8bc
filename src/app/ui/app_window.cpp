#include "app/ui/app_window.h"

#include "app/language_shortcuts.h"
#include "app/menu_file.h"
#include "app/tray_tip.h"
#include "limits/metering_host.h"
#include "limits/ui/live_display_window.h"
#include "limits/ui/metering_windows.h"
#include "monitor/connection_monitor.h"
#include "monitor/hang_up.h"
#include "settings/registry_key.h"
#include "settings/settings.h"
#include "sysint/ras_library.h"

#include <QAction>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <cstdio>

namespace ov {

namespace {

/// The maker's name, the unnamed value of the product key made at the first run.
constexpr const char* kMakerName = "Belvarro";

/// The hang-up question asked through the desktop's message box.
class DesktopQuestion final : public HangUpQuestion {
public:
    explicit DesktopQuestion(AppDesktop& desktop) : m_desktop(desktop) {}
    int Ask(const std::string& text, const std::string& /*entryName*/) override {
        return m_desktop.AskYesNo(text) ? IDYES : IDNO;
    }

private:
    AppDesktop& m_desktop;
};

/// The metering's live display window as the application window sees it.
class MeteringDisplay final : public DisplayWindow {
public:
    explicit MeteringDisplay(MeteringWindows& windows) : m_windows(windows) {}
    bool IsVisible() const override {
        return m_windows.Display() != nullptr && m_windows.Display()->isVisible();
    }
    void SetVisible(bool visible) override {
        if (IsVisible() != visible) {
            m_windows.ToggleDisplay();
        }
    }

private:
    MeteringWindows& m_windows;
};

QAction* FindCommand(QMenu& menu, unsigned command) {
    return menu.findChild<QAction*>(QStringLiteral("id%1").arg(command));
}

void AddItems(QMenu& menu, const std::vector<MenuFileItem>& items) {
    for (const MenuFileItem& item : items) {
        switch (item.kind) {
            case MenuFileItem::Kind::Separator:
                menu.addSeparator();
                break;
            case MenuFileItem::Kind::Popup:
                AddItems(*menu.addMenu(QString::fromStdString(item.text)), item.items);
                break;
            case MenuFileItem::Kind::Command: {
                QAction* action = menu.addAction(QString::fromStdString(item.text));
                action->setObjectName(QStringLiteral("id%1").arg(item.command));
                action->setData(item.command);
                if (!item.shortcut.empty()) {
                    action->setShortcut(QKeySequence(QString::fromStdString(item.shortcut)));
                }
                break;
            }
        }
    }
}

}  // namespace

bool MarkFirstRun() {
    RegistryKey key(HKEY_CURRENT_USER, kProductKeyPath);
    if (key.Exists()) {
        return false;
    }
    // A key that cannot be made is no first run that can be remembered: welcoming the user
    // again at every start would help no one.
    return key.Open(HKEY_CURRENT_USER, kProductKeyPath, KEY_WRITE) &&
           key.WriteString("", kMakerName);
}

AppWindow::AppWindow(Parts parts, Hooks hooks, QObject* parent)
    : QObject(parent), m_parts(parts), m_hooks(std::move(hooks)), m_tray(parts.packs) {
    setObjectName(QStringLiteral("AppWindow"));
    m_parts.session.AddObserver(this);
    connect(&m_tray, &TrayIcon::MenuAboutToShow, this, &AppWindow::UpdateMenu);
    connect(&m_tray, &TrayIcon::Activated, this, &AppWindow::OnTrayActivated);
    connect(&m_tray.Menu(), &QMenu::triggered, this,
            [this](QAction* action) { OnCommand(action->data().toUInt()); });
}

AppWindow::~AppWindow() {
    SetMeteringWindows(nullptr);
    m_parts.session.RemoveObserver(this);
}

void AppWindow::SetMeteringWindows(MeteringWindows* windows) {
    for (const QMetaObject::Connection& connection : m_meteringConnections) {
        disconnect(connection);
    }
    m_meteringConnections.clear();
    m_meteringDisplay.reset();
    m_meteringWindows = windows;
    if (windows == nullptr) {
        return;
    }
    m_meteringDisplay = std::make_unique<MeteringDisplay>(*windows);
    // Both signals come from the event loop, never from inside the windows' own handlers, so a
    // command may close the display.
    m_meteringConnections.push_back(
        connect(windows, &MeteringWindows::command, this, [this](unsigned id) { OnCommand(id); }));
    m_meteringConnections.push_back(
        connect(windows, &MeteringWindows::hangUpEntry, this,
                [this](const QString& name) { HangUpEntry(name.toStdString()); }));
}

DisplayWindow* AppWindow::CurrentDisplay() {
    if (m_hooks.displayWindow) {
        if (DisplayWindow* window = m_hooks.displayWindow()) {
            return window;
        }
    }
    if (m_meteringWindows != nullptr && m_meteringWindows->Display() != nullptr) {
        return m_meteringDisplay.get();
    }
    return nullptr;
}

bool AppWindow::Create() {
    if (m_parts.entries != nullptr) {
        m_parts.entries->Load();
    }
    BuildMenu();
    m_statusNotifier = TrayIcon::IsStatusNotifierHost();
    SetTray(kIconWatching, kTipWatching);
    if (!TrayIcon::HostAvailable() && !m_noTraySaid) {
        // GNOME without its tray extension: the program runs on, reachable by its main frame.
        m_noTraySaid = true;
        (void)std::fprintf(stderr,
                           "orvanta: no system tray is available; the tray icon does not "
                           "show and the call list opens instead\n");
        OpenMainFrame();
    }
    if (MarkFirstRun()) {
        m_parts.desktop.ShowMessage(Text(kWelcomeMessage), AppDesktop::Icon::Information);
        OnCommand(ID_OPTIONS);
    }
    // The session may have ended while the first run's boxes were open.
    return m_exited || m_parts.monitor.Start(&m_parts.session);
}

std::string AppWindow::Text(unsigned resourceId) const {
    return m_parts.packs.String(resourceId);
}

std::string AppWindow::ProductName() const {
    const std::string name = m_parts.packs.Texts().String(kProductName);
    return name.empty() ? "Orvanta" : name;
}

void AppWindow::SetTray(unsigned icon, unsigned tipString, const std::string& entryName) {
    m_tipString = tipString;
    m_tipEntry = entryName;
    const std::string tip = FormatTip(Text(tipString), ProductName(), entryName);
    m_tray.Set(icon, tip);
    m_title = m_tray.Tip();
}

void AppWindow::OnMonitorStarted() {
    SetTray(kIconWatching, kTipWatching);
}

void AppWindow::OnDialing(const ConnectionRecord& connection) {
    if (m_parts.metering != nullptr) {
        m_parts.metering->OnDialing(connection.entryName, connection.startTime);
    }
    SetTray(kIconConnection, kTipDialing);
}

void AppWindow::OnConnected(const ConnectionRecord& connection) {
    if (m_parts.metering != nullptr) {
        // The host opens the display only when none was opened for this call.
        m_parts.metering->OnConnected(connection.entryName, connection.startTime);
    }
    SetTray(kIconConnection, kTipConnected, connection.entryName);
}

void AppWindow::OnEnded(const ConnectionRecord* /*connection*/) {
    if (m_parts.metering != nullptr) {
        // Also forgets that a display was opened, so the next call first seen connected gets
        // its display too.
        m_parts.metering->OnEnded();
    }
    SetTray(kIconWatching, kTipWatching);
}

void AppWindow::OnMonitorStopped() {
    SetTray(kIconStopped, kTipStopped);
}

void AppWindow::OnProgramNotStarted(const ProgramStartFailure& failure) {
    (void)std::fprintf(stderr, "orvanta: cannot start %s: %s\n", failure.path.c_str(),
                       failure.reason.c_str());
    m_tray.Notify(Text(kProgramNotStarted), failure.path + ": " + failure.reason);
}

void AppWindow::BuildMenu() {
    QMenu& menu = m_tray.Menu();
    menu.clear();
    QFile file(m_parts.packs.MenuPath(kTrayMenu));
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray text = file.readAll();
    const auto items = ParseMenuFile(std::string_view(text.constData(), text.size()));
    // The tray shows the first sub-menu of the pack's menu.
    if (!items || items->empty() || items->front().kind != MenuFileItem::Kind::Popup) {
        return;
    }
    AddItems(menu, items->front().items);
}

void AppWindow::UpdateMenu() {
    QMenu& menu = m_tray.Menu();
    if (menu.isEmpty()) {
        BuildMenu();
    }
    if (QAction* open = FindCommand(menu, ID_OPEN_MAIN)) {
        menu.setDefaultAction(open);
    }
    if (QAction* toggle = FindCommand(menu, ID_MONITOR_TOGGLE)) {
        toggle->setText(QString::fromStdString(
            Text(m_parts.monitor.IsRunning() ? kTextStopMonitor : kTextStartMonitor)));
    }
    if (QAction* display = FindCommand(menu, ID_DISPLAY_TOGGLE)) {
        DisplayWindow* window = CurrentDisplay();
        display->setEnabled(window != nullptr);
        if (window != nullptr) {
            display->setText(QString::fromStdString(
                Text(window->IsVisible() ? kTextHideDisplay : kTextShowDisplay)));
        }
    }
}

void AppWindow::OnTrayActivated(QSystemTrayIcon::ActivationReason reason) {
    // An XEmbed tray reports single clicks, which do nothing, and double clicks; a
    // StatusNotifierItem host has only "activate", its click.
    if (reason == QSystemTrayIcon::DoubleClick ||
        (reason == QSystemTrayIcon::Trigger && m_statusNotifier)) {
        OnCommand(ID_OPEN_MAIN);
    }
}

void AppWindow::OpenMainFrame() const {
    if (m_hooks.openMainFrame) {
        m_hooks.openMainFrame();
    }
}

void AppWindow::HangUpAll() {
    DesktopQuestion question(m_parts.desktop);
    const HangUpAsker asker{question, m_parts.packs};
    ov::HangUpAll(m_parts.entries, m_parts.settings.NotPromptHangUp == 0, &asker);
}

void AppWindow::HangUpEntry(const std::string& entryName) {
    DesktopQuestion question(m_parts.desktop);
    const HangUpAsker asker{question, m_parts.packs};
    ov::HangUpEntry(m_parts.entries, entryName, m_parts.settings.NotPromptHangUp == 0, &asker);
}

bool AppWindow::OnCommand(unsigned command) {
    switch (command) {
        case ID_CLOSE:
        case ID_APP_EXIT:
            Exit();
            return true;
        case ID_OPTIONS:
            if (m_hooks.openOptions) {
                m_hooks.openOptions();
            }
            return true;
        case ID_OPEN_MAIN:
            OpenMainFrame();
            return true;
        case ID_MONITOR_START:
            if (!m_parts.monitor.IsRunning()) {
                m_parts.monitor.Start(&m_parts.session);
            }
            return true;
        case ID_MONITOR_STOP:
            m_parts.monitor.Stop();
            return true;
        case ID_MONITOR_TOGGLE:
            if (m_parts.monitor.IsRunning()) {
                m_parts.monitor.Stop();
            } else {
                m_parts.monitor.Start(&m_parts.session);
            }
            return true;
        case ID_DISPLAY_TOGGLE: {
            DisplayWindow* window = CurrentDisplay();
            if (window == nullptr) {
                return false;
            }
            window->SetVisible(!window->IsVisible());
            return true;
        }
        case ID_ABOUT:
            m_parts.desktop.ShowAbout(m_parts.packs.Texts().String(kAboutText));
            return true;
        case ID_HELP_CONTENTS:
        case ID_HELP_TOPIC:
            m_parts.desktop.OpenDocument(
                m_parts.packs.HelpUrl(command == ID_HELP_CONTENTS ? kHelpContents : kHelpTopic));
            return true;
        case ID_WEB_PAGE:
            if (!m_parts.desktop.OpenDocument(QUrl(QString::fromLatin1(kWebPageUrl)))) {
                m_parts.desktop.ShowMessage(Text(kWebPageFailed), AppDesktop::Icon::Warning);
            }
            return true;
        case ID_HANGUP_ALL:
            HangUpAll();
            return true;
        case ID_LIMIT_NOTIFY:
            // The metering's windows opened the notification with its countdown when the rule
            // fired.
            return true;
        default:
            return false;
    }
}

void AppWindow::Exit() {
    if (m_exited) {
        return;
    }
    m_exited = true;
    m_parts.desktop.SetWaitCursor(true);
    // Open calls ended and logged, their programs closed, the stop marker, every group saved,
    // the program list released.
    if (m_hooks.exitMonitoring) {
        m_hooks.exitMonitoring();
    } else {
        m_parts.session.Exit(m_parts.monitor);
    }
    if (m_exitPauseMs > 0) {
        QEventLoop pause;
        QTimer::singleShot(m_exitPauseMs, &pause, &QEventLoop::quit);
        pause.exec(QEventLoop::ExcludeUserInputEvents);
    }
    m_parts.desktop.SetWaitCursor(false);
    if (m_hooks.destroyMainFrame) {
        m_hooks.destroyMainFrame();
    }
    m_tray.Remove();
    if (m_hooks.quit) {
        m_hooks.quit();
    }
}

void AppWindow::OnLanguageChanged() {
    RecreateLanguageShortcuts(m_parts.packs.CurrentIndex(), LangsFolder());
    // The text table was reloaded by the switch of the pack.
    m_parts.settings.RefreshLanguageTexts();
    if (m_hooks.languageChanged) {
        m_hooks.languageChanged();
    }
    if (m_meteringWindows != nullptr) {
        m_meteringWindows->ReloadPack();
    }
    BuildMenu();
    // The icon and the tip of the state shown, from the new pack.
    m_tray.ReloadIcon();
    SetTray(0, m_tipString, m_tipEntry);
}

}  // namespace ov
