#pragma once

#include <string>
#include <vector>

#include "tariff/tariff.h"

namespace ov {

/// Replaces `library` with the tariffs of the file, read as a flat run of fields ended by a
/// line end, "," or ";" (CR LF counts as one line end). A missing or empty file leaves the
/// library as it is; a tariff cut off by the end of the text is dropped. Never fails aloud.
void ReadTariffFile(const std::string& path, std::vector<Tariff>& library);

/// The same, from the file's text.
void ParseTariffText(std::string text, std::vector<Tariff>& library);

/// The file's text for `library`: four CR LF lines per tariff, rows 0 and 1 of each day set,
/// prices with two decimals. Separators inside the texts are written as blanks so that they
/// cannot shift the fields of a later reading.
std::string TariffFileText(const std::vector<Tariff>& library);

/// Replaces the file with the library's text atomically: a failed write leaves the old file
/// whole. False, with the reason in `error`, when the file could not be written.
bool WriteTariffFile(const std::string& path, const std::vector<Tariff>& library,
                     std::string* error = nullptr);

}  // namespace ov
