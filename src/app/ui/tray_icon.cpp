#include "app/ui/tray_icon.h"

#include "app/tray_tip.h"
#include "app/ui/pack_images.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

namespace ov {

TrayIcon::TrayIcon(const LanguagePacks& packs, QObject* parent) : QObject(parent), m_packs(packs) {
    m_tray.setContextMenu(&m_menu);
    connect(&m_menu, &QMenu::aboutToShow, this, &TrayIcon::MenuAboutToShow);
    connect(&m_tray, &QSystemTrayIcon::activated, this, &TrayIcon::Activated);
}

TrayIcon::~TrayIcon() {
    Remove();
}

void TrayIcon::Set(unsigned icon, const std::string& tip) {
    if (icon != 0 && icon != m_iconNumber) {
        m_tray.setIcon(PackIcon(m_packs, icon));
        m_iconNumber = icon;
        ++m_iconChanges;
    }
    m_tip = QString::fromStdString(TrayTip(tip));
    m_tray.setToolTip(m_tip);
    if (!m_tray.isVisible()) {
        m_tray.show();
    }
}

void TrayIcon::ReloadIcon() {
    if (m_iconNumber != 0) {
        m_tray.setIcon(PackIcon(m_packs, m_iconNumber));
        ++m_iconChanges;
    }
}

void TrayIcon::Notify(const std::string& title, const std::string& text) {
    const QString qtitle = QString::fromStdString(title);
    const QString qtext = QString::fromStdString(text);
    m_lastNotification = qtitle + QStringLiteral(": ") + qtext;
    m_tray.showMessage(qtitle, qtext, QSystemTrayIcon::Warning);
}

void TrayIcon::Remove() {
    m_tray.hide();
}

bool TrayIcon::HostAvailable() {
    // Qt's own answer misses a StatusNotifierItem host that its tray icon then uses.
    return IsStatusNotifierHost() || QSystemTrayIcon::isSystemTrayAvailable();
}

bool TrayIcon::IsStatusNotifierHost() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() != nullptr &&
           bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher"));
}

}  // namespace ov
