#include "limits/ui/live_display_window.h"

#include <QAbstractButton>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include "dialogs/ui/pack_menu.h"
#include "dialogs/ui/template_loader.h"
#include "dialogs/ui/ui_resources.h"
#include "limits/ui/limits_strings.h"
#include "limits/ui/live_display_widget.h"

namespace ov {

namespace {
/// How big the icons of the buttons show.
constexpr int kButtonIconSize = 16;
}  // namespace

LiveDisplayWindow::LiveDisplayWindow(SettingsValues& settings, const LiveDisplayCtrl& display,
                                     const UiResources& resources)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      m_settings(settings),
      m_display(display),
      m_resources(resources) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setObjectName(ControlName(kLiveDisplayTemplate));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_form = TemplateLoader::Load(resources, kLiveDisplayTemplate, this).release();
    if (m_form == nullptr) {
        m_form = new QWidget(this);  // no template: the drawing alone
        m_form->resize(150, 38);
        auto* placeholder = new QWidget(m_form);
        placeholder->setObjectName(ControlName(kLiveDisplayPlaceholder));
        placeholder->setGeometry(0, 0, 110, 38);
    }
    setWindowTitle(m_form->windowTitle());
    layout->addWidget(m_form);
    setFixedSize(m_form->size());

    m_drawing = new LiveDisplayWidget(display, resources, settings.EventFont);
    if (!m_drawing->Replace(kLiveDisplayPlaceholder, m_form)) {
        m_drawing->setParent(m_form);
        m_drawing->setGeometry(m_form->rect());
    }
    m_drawing->installEventFilter(this);
    m_form->installEventFilter(this);

    for (const auto& [id, button] :
         {std::pair(kHideButton, &m_hide), std::pair(kHangUpButton, &m_hangUp)}) {
        *button = m_form->findChild<QToolButton*>(ControlName(id));
        if (*button == nullptr) {
            continue;
        }
        (*button)->setAutoRaise(true);
        (*button)->setFocusPolicy(Qt::NoFocus);
        (*button)->setIconSize(QSize(kButtonIconSize, kButtonIconSize));
        if ((*button)->accessibleName().isEmpty()) {
            (*button)->setAccessibleName((*button)->toolTip());
        }
    }
    if (m_hide != nullptr) {
        connect(m_hide, &QAbstractButton::clicked, this, &QWidget::hide);
    }
    if (m_hangUp != nullptr) {
        connect(m_hangUp, &QAbstractButton::clicked, this,
                [this] { Q_EMIT command(ID_HANGUP_ALL); });
    }
    LoadIcons();
    move(m_settings.EventWndX, m_settings.EventWndY);
}

LiveDisplayWindow::~LiveDisplayWindow() = default;

void LiveDisplayWindow::LoadIcons() {
    setWindowIcon(m_resources.Icon(kConnectedIcon));
    if (m_hide != nullptr) {
        m_hide->setIcon(m_resources.Icon(kHideIcon));
    }
    if (m_hangUp != nullptr) {
        m_hangUp->setIcon(m_resources.Icon(kHangUpIcon));
    }
}

void LiveDisplayWindow::Toggle() {
    if (isVisible()) {
        hide();
    } else {
        show();
    }
}

void LiveDisplayWindow::ReloadPack() {
    LoadIcons();
    m_drawing->Redraw();
}

void LiveDisplayWindow::StorePosition() {
    const QPoint corner = pos();
    m_settings.EventWndX = corner.x();
    m_settings.EventWndY = corner.y();
}

std::unique_ptr<QMenu> LiveDisplayWindow::MakeContextMenu() {
    auto menu = LoadPackMenu(m_resources.MenuPath(kPackMenu), kDisplayContextMenu, this);
    if (!menu) {
        return nullptr;
    }
    if (QAction* open = FindCommand(*menu, ID_OPEN_MAIN)) {
        menu->setDefaultAction(open);
    }
    if (QAction* monitor = FindCommand(*menu, ID_MONITOR_TOGGLE)) {
        monitor->setText(m_resources.Text(kStopMonitorString));
    }
    if (QAction* display = FindCommand(*menu, ID_DISPLAY_TOGGLE)) {
        display->setText(m_resources.Text(kHideDisplayString));
    }
    return menu;
}

void LiveDisplayWindow::ContextCommand(unsigned command) {
    if (command == kHangUpShownCommand) {
        Q_EMIT hangUpEntry(QString::fromStdString(m_display.connectionName()));
    } else if (command == ID_DISPLAY_TOGGLE) {
        hide();
    } else if (command != 0) {
        Q_EMIT this->command(command);
    }
}

void LiveDisplayWindow::StartMove(const QPoint& globalPosition) {
    // The window system moves it as if its caption had been grabbed; where it cannot, the
    // window follows the mouse itself.
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
        return;
    }
    m_dragging = true;
    m_dragOffset = globalPosition - pos();
}

bool LiveDisplayWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_drawing && watched != m_form) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                StartMove(mouse->globalPosition().toPoint());
                return true;
            }
            break;
        }
        case QEvent::MouseMove:
            if (m_dragging) {
                move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - m_dragOffset);
                return true;
            }
            break;
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                m_dragging = false;
            } else if (mouse->button() == Qt::RightButton && watched == m_drawing) {
                if (auto menu = MakeContextMenu()) {
                    const QAction* chosen = menu->exec(mouse->globalPosition().toPoint());
                    ContextCommand(chosen != nullptr ? chosen->data().toUInt() : 0);
                }
                return true;
            }
            break;
        }
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ov
