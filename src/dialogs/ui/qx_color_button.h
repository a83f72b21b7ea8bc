#pragma once

#include <QColor>
#include <QPushButton>

namespace ov {

/// A button that shows a colour and lets the user pick another with Qt's colour dialog.
class QXColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit QXColorButton(QWidget* parent = nullptr);

    QColor Colour() const { return m_colour; }
    void SetColour(const QColor& colour);

Q_SIGNALS:
    void colourChanged(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Choose();

    QColor m_colour = Qt::black;
};

}  // namespace ov
