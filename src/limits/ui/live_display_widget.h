#pragma once

#include <QFont>

#include "dialogs/ui/qx_draw_ctrl.h"
#include "limits/live_display_ctrl.h"

namespace ov {

class UiResources;

/// The drawing of the live display: captions on erase, the four values, and the bar of the
/// charging unit, at fixed pixel positions in the font of the display's settings.
class LiveDisplayWidget final : public QXDrawCtrl {
    Q_OBJECT
public:
    // Client pixels of the control: the captions, the values and the unit bar.
    static constexpr QPoint kNowCaption{1, 10};
    static constexpr QPoint kTotalCaption{1, 20};
    static constexpr QPoint kTimeCaption{30, 1};
    static constexpr QPoint kPriceCaption{75, 1};
    static constexpr QPoint kCurrentTime{30, 10};
    static constexpr QPoint kTotalTime{30, 20};
    static constexpr QPoint kCurrentPrice{75, 10};
    static constexpr QPoint kTotalPrice{75, 20};
    static constexpr int kBarTop = 31;
    static constexpr int kBarBottom = 35;  // exclusive

    /// `display` and `resources` must outlive the widget.
    LiveDisplayWidget(const LiveDisplayCtrl& display, const UiResources& resources,
                      const LogFont& font, QWidget* parent = nullptr);

    /// After a tick: repaints at once the time, the bar and, when a unit began or a rule
    /// fired, the prices, without erasing. Nothing while hidden.
    void OnTick(const DisplayTick& tick);
    /// Draws everything again, erasing first (a new connection, another pack).
    void Redraw();

    /// What a screen reader says: the captions with the values.
    QString AccessibleValues() const;

protected:
    void EraseBackground(QPainter& painter, const QRegion& region) override;
    void Paint(QPainter& painter, int width, int height) override;

private:
    static void DrawText(QPainter& painter, QPoint at, const QString& text);
    void UpdateAccessibleName();

    const LiveDisplayCtrl& m_display;
    const UiResources& m_resources;
    QFont m_font;
};

}  // namespace ov
