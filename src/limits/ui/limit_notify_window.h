#pragma once

#include <QObject>
#include <QString>

#include <memory>

#include "limits/limit_notify_dialog.h"

class QAbstractButton;
class QLabel;
class QWidget;

namespace ov {

class UiResources;

/// The limit notification's window, from the pack's template 333: the message, and OK and
/// Cancel, the OK button showing the countdown. It stays on top of other windows; closing it
/// answers as Cancel does.
class LimitNotifyWindow final : public QObject {
    Q_OBJECT
public:
    /// `resources` must outlive the window.
    LimitNotifyWindow(const UiResources& resources, const QString& message);
    ~LimitNotifyWindow() override;

    QWidget* Window() const { return m_window.get(); }
    /// The OK button's caption as the template gives it.
    QString OkCaption() const { return m_okCaption; }
    void SetOkText(const QString& text);
    void Show();

Q_SIGNALS:
    /// OK or Cancel was pressed (or the window closed: Cancel); the LimitNotifyDialog::Result.
    void answered(int button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Answer(LimitNotifyDialog::Result button);

    std::unique_ptr<QWidget> m_window;
    QAbstractButton* m_ok = nullptr;
    QString m_okCaption;
    bool m_answered = false;
};

}  // namespace ov
