#include "tariff/tariff_file.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "platform/file_util.h"
#include "tariff/c_locale.h"
#include "tariff/tariff_fields.h"

namespace ov {

namespace {

bool IsFieldEnd(char c) {
    return c == '\n' || c == ',' || c == ';' || c == '\0';
}

/// Walks the fields of the text; a field must end with a separator before the end of the text.
class FieldReader {
public:
    explicit FieldReader(std::string_view text) : m_text(text) {}
    bool AtEnd() const { return m_pos >= m_text.size(); }

    std::optional<std::string> Next() {
        for (std::size_t end = m_pos; end < m_text.size(); ++end) {
            if (IsFieldEnd(m_text[end])) {
                // A zero byte ends a field's text just as a separator does.
                std::string field(m_text.substr(m_pos, end - m_pos));
                m_pos = end + 1;
                return field;
            }
        }
        m_pos = m_text.size();
        return std::nullopt;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

/// The C library's atoi, without its undefined behaviour on overflow.
int AtoI(const std::string& field) {
    const long value = std::strtol(field.c_str(), nullptr, 10);
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int>(value);
}

/// "%2d:%2d": at most two digits of hour, a colon, at most two of minute; a part that is not
/// there counts as 0. No range check.
std::int16_t MinuteOfDay(const std::string& field) {
    int hour = 0;
    int minute = 0;
    std::sscanf(field.c_str(), "%2d:%2d", &hour, &minute);
    return static_cast<std::int16_t>(hour * 60 + minute);
}

/// Texts are written as they are, but a separator inside one would shift every later field
/// when the file is read again.
std::string WithoutSeparators(std::string text) {
    for (char& c : text) {
        if (c == ',' || c == ';' || c == '\n' || c == '\r' || c == '\0') {
            c = ' ';
        }
    }
    return text;
}

std::optional<Tariff> ReadOneTariff(FieldReader& fields) {
    Tariff t;
    const auto company = fields.Next();
    const auto country = company ? fields.Next() : std::nullopt;
    const auto name = country ? fields.Next() : std::nullopt;
    const auto symbol = name ? fields.Next() : std::nullopt;
    const auto after = symbol ? fields.Next() : std::nullopt;
    if (!after) {
        return std::nullopt;
    }
    t.CurrCompany = *company;
    t.CountryID = AtoI(*country);
    t.CurrName = *name;
    t.CurrShort = *symbol;
    t.CurrAfterNum = AtoI(*after);
    for (int set = 0; set < 3; ++set) {
        for (int row = 0; row < 2; ++row) {
            const auto from = fields.Next();
            const auto to = from ? fields.Next() : std::nullopt;
            const auto price = to ? fields.Next() : std::nullopt;
            const auto unit = price ? fields.Next() : std::nullopt;
            if (!unit) {
                return std::nullopt;
            }
            const auto slot = static_cast<std::size_t>(SlotIndex(set, row));
            t.TimeFrom[slot] = MinuteOfDay(*from);
            t.TimeTo[slot] = MinuteOfDay(*to);
            t.Price[slot] = PriceFromField(*price);
            t.Minuts[slot] = static_cast<std::int16_t>(AtoI(*unit));
        }
    }
    return t;
}

}  // namespace

void ParseTariffText(std::string text, std::vector<Tariff>& library) {
    // Read as the text mode of the system the file comes from: CR LF is one line end.
    std::string lf;
    lf.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        lf += text[i];
    }
    library.clear();
    FieldReader fields(lf);
    while (!fields.AtEnd()) {
        auto tariff = ReadOneTariff(fields);
        if (!tariff) {
            return;  // cut off by the end of the text: dropped, those before it stay
        }
        library.push_back(std::move(*tariff));
    }
}

void ReadTariffFile(const std::string& path, std::vector<Tariff>& library) {
    auto text = ReadWholeFile(path);
    if (!text || text->empty()) {
        return;
    }
    ParseTariffText(std::move(*text), library);
}

std::string TariffFileText(const std::vector<Tariff>& library) {
    const CLocaleScope cLocale;  // "." in prices whatever the front end's locale
    std::string out;
    char buffer[256];
    auto band = [&](const Tariff& t, int slot) {
        const auto s = static_cast<std::size_t>(slot);
        std::snprintf(buffer, sizeof buffer, "%02d:%02d,%02d:%02d,%.02f,%d", t.TimeFrom[s] / 60,
                      t.TimeFrom[s] % 60, t.TimeTo[s] / 60, t.TimeTo[s] % 60,
                      static_cast<double>(t.Price[s]), t.Minuts[s]);
        out += buffer;
    };
    for (const Tariff& t : library) {
        out += WithoutSeparators(t.CurrCompany) + "," + std::to_string(t.CountryID) + "," +
               WithoutSeparators(t.CurrName) + "," + WithoutSeparators(t.CurrShort) + "," +
               std::to_string(t.CurrAfterNum) + "\r\n";
        for (int set = 0; set < 3; ++set) {
            band(t, SlotIndex(set, 0));
            out += ";";
            band(t, SlotIndex(set, 1));
            out += "\r\n";
        }
    }
    return out;
}

bool WriteTariffFile(const std::string& path, const std::vector<Tariff>& library,
                     std::string* error) {
    return WriteFileAtomically(path, TariffFileText(library), error);
}

}  // namespace ov
