#include "app/ui/qt_desktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

namespace ov {

namespace {

QString Caption() {
    return QGuiApplication::applicationDisplayName();
}

}  // namespace

void QtDesktop::ShowMessage(const std::string& text, Icon icon) {
    QMessageBox box(icon == Icon::Information ? QMessageBox::Information : QMessageBox::Warning,
                    Caption(), QString::fromStdString(text), QMessageBox::Ok);
    box.exec();
}

bool QtDesktop::AskYesNo(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, Caption(), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtDesktop::ShowAbout(const std::string& text) {
    QMessageBox::about(nullptr, Caption(), QString::fromStdString(text));
}

bool QtDesktop::OpenDocument(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

void QtDesktop::SetWaitCursor(bool on) {
    if (on) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QGuiApplication::restoreOverrideCursor();
    }
}

ScreenSize QtScreenMetrics::PrimaryScreen() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return FixedScreenMetrics().PrimaryScreen();
    }
    const QRect area = screen->geometry();
    return {area.width(), area.height()};
}

}  // namespace ov
