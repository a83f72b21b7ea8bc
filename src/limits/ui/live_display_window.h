#pragma once

#include <QPoint>
#include <QWidget>

#include <memory>

#include "limits/live_display_ctrl.h"
#include "settings/settings.h"

class QMenu;
class QToolButton;

namespace ov {

class LiveDisplayWidget;
class UiResources;

/// The live display's window, from the pack's template 3403: a small frameless window that
/// stays on top, takes no focus and has no task-bar entry, at (EventWndX, EventWndY). It holds
/// the drawing in place of the template's placeholder and two icon buttons: hide, and hang up
/// every connection. It is dragged by its body and has a context menu.
class LiveDisplayWindow final : public QWidget {
    Q_OBJECT
public:
    /// `settings`, `display` and `resources` must outlive the window.
    LiveDisplayWindow(SettingsValues& settings, const LiveDisplayCtrl& display,
                      const UiResources& resources);
    ~LiveDisplayWindow() override;

    LiveDisplayWidget* Drawing() const { return m_drawing; }
    /// Hides the window when it is shown, shows it when hidden.
    void Toggle();
    /// The pack changed: the icons are loaded again and everything is drawn again.
    void ReloadPack();
    /// Keeps the window's top-left corner in EventWndX and EventWndY.
    void StorePosition();
    /// The context menu as it opens: null when the pack has none.
    std::unique_ptr<QMenu> MakeContextMenu();
    /// What a command of the context menu does.
    void ContextCommand(unsigned command);

Q_SIGNALS:
    /// A command for the application window (ID_HANGUP_ALL, ID_OPEN_MAIN, ...).
    void command(unsigned id);
    /// The hang-up of the connection shown was chosen.
    void hangUpEntry(const QString& entryName);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadIcons();
    void StartMove(const QPoint& globalPosition);

    SettingsValues& m_settings;
    const LiveDisplayCtrl& m_display;
    const UiResources& m_resources;
    QWidget* m_form = nullptr;
    LiveDisplayWidget* m_drawing = nullptr;
    QToolButton* m_hide = nullptr;
    QToolButton* m_hangUp = nullptr;
    bool m_dragging = false;  // moved by ourselves where the window system cannot
    QPoint m_dragOffset;
};

}  // namespace ov
