#pragma once

#include <memory>

#include "platform/text_source.h"
#include "settings/settings.h"

namespace ov::cli {

/// The texts the settings take from the language pack, in English.
const TextSource& SettingsTexts();

/// The settings as the program has them after start-up: the defaults, the tariff for the
/// system language from the tariff file, then every group loaded from the registry.
std::unique_ptr<Settings> LoadStartupSettings(const TextSource& texts);

}  // namespace ov::cli
