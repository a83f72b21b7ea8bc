#pragma once

#include "app/qt/language_packs.h"

#include <QMenu>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

#include <string>

namespace ov {

/// The program's icon in the tray: the pack's icon by number and the tip, with the menu the
/// host shows on it. An icon equal to the last one set is not set again, and a tip longer than
/// the tray holds is cut with "…". Without any tray host the icon simply does not show.
class TrayIcon final : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(const LanguagePacks& packs, QObject* parent = nullptr);
    ~TrayIcon() override;

    /// Shows the icon, or changes it: `icon` (0 keeps the icon) and the tip.
    void Set(unsigned icon, const std::string& tip);
    /// Takes the icon shown from the current pack again (after a switch of packs).
    void ReloadIcon();
    /// A desktop notification from the icon (a warning).
    void Notify(const std::string& title, const std::string& text);
    /// The last notification, "title: text"; empty before the first.
    const QString& LastNotification() const { return m_lastNotification; }
    /// Takes the icon out of the tray.
    void Remove();

    /// The menu shown on the icon; its owner fills it when MenuAboutToShow is told.
    QMenu& Menu() { return m_menu; }

    /// Whether a tray host is there to show the icon.
    static bool HostAvailable();
    /// Whether that host is a StatusNotifierItem host: it has "activate" (a click) where an
    /// XEmbed tray reports single and double clicks.
    static bool IsStatusNotifierHost();

    unsigned IconNumber() const { return m_iconNumber; }
    /// How often an icon was handed to the tray.
    int IconChanges() const { return m_iconChanges; }
    /// The tip as the tray shows it.
    const QString& Tip() const { return m_tip; }
    bool Visible() const { return m_tray.isVisible(); }

Q_SIGNALS:
    void MenuAboutToShow();
    void Activated(QSystemTrayIcon::ActivationReason reason);

private:
    const LanguagePacks& m_packs;
    QSystemTrayIcon m_tray;
    QMenu m_menu;
    unsigned m_iconNumber = 0;
    int m_iconChanges = 0;
    QString m_tip;
    QString m_lastNotification;
};

}  // namespace ov
