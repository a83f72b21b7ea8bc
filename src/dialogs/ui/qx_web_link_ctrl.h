#pragma once

#include <QColor>
#include <QLabel>
#include <QUrl>

#include <functional>

namespace ov {

class UiResources;

/// A label that is a link: underlined, blue, red while the mouse is over it (with the pack's
/// hand cursor), purple once opened. A click opens its target with the desktop; only web and
/// mail addresses (http, https, ftp, mailto) are ever opened, anything else is refused as a
/// failure is.
class QXWebLinkCtrl : public QLabel {
    Q_OBJECT
public:
    static constexpr QRgb kLinkColour = qRgb(0, 0, 255);
    static constexpr QRgb kVisitedColour = qRgb(128, 0, 128);
    static constexpr QRgb kHoverColour = qRgb(255, 0, 0);

    /// Opens a link; false when it could not be opened.
    using Opener = std::function<bool(const QUrl&)>;
    /// Tells the user that a link could not be opened.
    using FailureSink = std::function<void(const QString& message)>;

    /// `resources` (may be null) gives the cursor and the failure message.
    explicit QXWebLinkCtrl(QWidget* parent = nullptr, const UiResources* resources = nullptr);

    QString Target() const { return m_target; }
    void SetTarget(const QString& target) { m_target = target; }
    bool Hover() const { return m_hover; }
    /// The colour the text is drawn in now.
    QColor DrawnColour() const { return m_hover ? QColor(kHoverColour) : m_current; }

    /// The desktop's opener and the message box stand in for tests.
    void SetOpener(Opener opener) { m_open = std::move(opener); }
    void SetFailureSink(FailureSink sink) { m_fail = std::move(sink); }

    /// Whether `target` names something a link may open: an address of one of the allowed
    /// kinds, with something after its scheme.
    static bool MayOpen(const QString& target);

    /// What a click does: opens the target, or tells why it cannot be opened.
    void Activate();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void SetHover(bool hover);

    const UiResources* m_resources;
    QString m_target;
    bool m_hover = false;
    QColor m_current{kLinkColour};
    Opener m_open;
    FailureSink m_fail;
};

/// Dialog data exchange of a link: on loading the target is set.
void ExchangeWebLink(bool save, QXWebLinkCtrl& control, QString& target);

}  // namespace ov
