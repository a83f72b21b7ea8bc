#include "app/startup_settings.h"

#include <cstdlib>

#include "app/string_table.h"

namespace ov {

const TextSource& BuiltInEnglishTexts() {
    static const FixedTextSource texts([] {
        auto table = ParseStringTable(EnglishStringsTsv());
        if (!table) {
            // The build's own pack file: a test of the built-in texts fails long before this.
            std::abort();
        }
        return std::move(*table);
    }());
    return texts;
}

std::unique_ptr<Settings> LoadStartupSettings(const TextSource& texts,
                                              const std::string& tariffFile,
                                              const ScreenMetrics* screen) {
    auto settings = std::make_unique<Settings>(texts, nullptr, screen);
    settings->TariffFile = tariffFile;
    settings->PickTariffForSystemLanguage();
    settings->Exchange(false);
    return settings;
}

}  // namespace ov
