#pragma once

#include <QColor>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <functional>

class QPainter;

namespace ov {

/// The object name of the control with identifier `id` in a dialog template ("id3387").
QString ControlName(unsigned id);

/// A control that draws itself: it takes the place of a placeholder control of a dialog
/// template, erases with its background colour and paints through a callback (or an override
/// of Paint). Parts invalidated without erasing are painted over what they showed.
class QXDrawCtrl : public QWidget {
    Q_OBJECT
public:
    /// Paints the control: the painter, then the client width and height.
    using PaintCallback = std::function<void(QPainter&, int width, int height)>;

    explicit QXDrawCtrl(QWidget* parent = nullptr);

    /// Takes the place of control `id` of `dialog`: its parent, its rectangle less one pixel on
    /// each side for a sunken edge and again for a border, its object name, text, tool tip
    /// and accessible name; the placeholder is then destroyed. False when there is no such
    /// control (this control is then left as it was).
    bool Replace(unsigned id, QWidget* dialog, PaintCallback callback = {});

    void SetPaintCallback(PaintCallback callback) { m_callback = std::move(callback); }
    QColor Background() const { return m_background; }
    void SetBackground(const QColor& colour);
    /// The text taken over from the placeholder.
    QString Text() const { return m_text; }
    void SetText(const QString& text);

    /// Repaints `rect` soon; without `erase` the background under it is not erased first.
    void Invalidate(const QRect& rect, bool erase);

protected:
    void paintEvent(QPaintEvent* event) override;
    /// Fills the part to paint with the background colour.
    virtual void EraseBackground(QPainter& painter, const QRegion& region);
    /// Draws the contents; by default calls the paint callback.
    virtual void Paint(QPainter& painter, int width, int height);

private:
    PaintCallback m_callback;
    QColor m_background;
    QString m_text;
    QRegion m_noErase;  // invalidated without erasing since the last paint
};

}  // namespace ov
