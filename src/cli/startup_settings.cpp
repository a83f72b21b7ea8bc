#include "cli/startup_settings.h"

namespace ov::cli {

const TextSource& SettingsTexts() {
    static const FixedTextSource texts({
        {3349, "#D - call report#|#|Page #p"},
        {3352, "All users"},
        {3353, "All devices"},
        {3354, "All device types"},
        {3378, "All entries"},
    });
    return texts;
}

std::unique_ptr<Settings> LoadStartupSettings(const TextSource& texts) {
    auto settings = std::make_unique<Settings>(texts);
    settings->PickTariffForSystemLanguage();
    settings->Exchange(false);
    return settings;
}

}  // namespace ov::cli
