#pragma once

#include "app/ui/app_window.h"
#include "settings/screen_metrics.h"

namespace ov {

/// The desktop as the tray program has it: Qt's message boxes, the desktop's program for a
/// document or web page, the application's override cursor.
class QtDesktop final : public AppDesktop {
public:
    void ShowMessage(const std::string& text, Icon icon) override;
    bool AskYesNo(const std::string& text) override;
    void ShowAbout(const std::string& text) override;
    bool OpenDocument(const QUrl& url) override;
    void SetWaitCursor(bool on) override;
};

/// The primary screen as Qt has it, in the device-independent pixels windows are moved in;
/// the fixed size stands in while there is no screen at all.
class QtScreenMetrics final : public ScreenMetrics {
public:
    ScreenSize PrimaryScreen() const override;
};

}  // namespace ov
