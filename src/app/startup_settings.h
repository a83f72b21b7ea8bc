#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/text_table_source.h"
#include "settings/settings.h"

namespace ov {

/// The English pack's strings as the build took them from its strings.tsv.
std::string_view EnglishStringsTsv();

/// The English pack's texts, built into the program: what a program shows when no language
/// pack can be loaded, and the settings' texts of the commands that print no pack texts.
const TextSource& BuiltInEnglishTexts();

/// The settings as the program has them after start-up: the defaults with `tariffFile`
/// (ProgramPaths::tariffFile), the tariff for the system language from that file, then every
/// group loaded from the registry. `screen` is the display the windows are shown on (null for
/// a program without windows); it must outlive the settings.
std::unique_ptr<Settings> LoadStartupSettings(const TextSource& texts,
                                              const std::string& tariffFile,
                                              const ScreenMetrics* screen = nullptr);

}  // namespace ov
