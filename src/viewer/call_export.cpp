#include "viewer/call_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <utility>
#include <vector>

#include "platform/file_util.h"
#include "tariff/c_locale.h"
#include "tariff/price_format.h"
#include "viewer/call_list.h"

namespace ov {

namespace {

constexpr int kKindTextEntry = 30;  // entries 30-34: the names of kinds 0-4

/// The names of the columns in the header row of CSV and the keys of JSON, by column id:
/// fixed, whatever the language, so that scripts can rely on them.
constexpr std::array<std::string_view, kColumnCount> kRawNames{
    "kind", "start", "connectedSeconds", "dialingSeconds", "price",
    "user", "entry", "deviceName",       "deviceType",
};

bool IsMarker(std::int32_t kind) {
    return kind == KindMonitorStart || kind == KindMonitorStop;
}

/// Characters of UTF-8 text, as an editor lines them up: every byte that does not continue a
/// character (10xxxxxx), counted eight bytes at a time.
std::size_t CharacterCount(std::string_view text) {
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    std::size_t continuing = 0;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t w = 0;
        std::memcpy(&w, text.data() + i, 8);
        // One in the low bit of each continuing byte, summed into the top byte.
        const std::uint64_t ones = (w & kHigh & ~(w << 1)) >> 7;
        continuing += static_cast<std::size_t>((ones * 0x0101010101010101u) >> 56);
    }
    for (; i < text.size(); ++i) {
        continuing += (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80 ? 1 : 0;
    }
    return text.size() - continuing;
}

void WriteSpaces(ExportStream& out, std::size_t count) {
    // The padding of a cell is short: copied from a row of spaces, not set byte by byte.
    static constexpr std::string_view kSpaces = "                                                ";
    while (count > 0) {
        const std::size_t n = std::min(count, kSpaces.size());
        out.Write(kSpaces.substr(0, n));
        count -= n;
    }
}

/// Local broken-down times of instants that mostly come in order, as ToLocalTime gives them:
/// the C library is asked once per local day, and the times within a day whose offset from
/// UTC holds from its first to its last second (checked at both ends; no place changes its
/// clocks twice in one day) are counted from its start.
class LocalDays {
public:
    bool Get(Time32 t, std::tm& out) {
        if (t >= m_start && t < m_end) {
            const auto second = static_cast<int>(t - m_start);
            out = m_day;
            out.tm_hour = second / 3600;
            out.tm_min = second % 3600 / 60;
            out.tm_sec = second % 60;
            return true;
        }
        if (!ToLocalTime(t, out)) {
            return false;
        }
        const std::int64_t start =
            std::int64_t{t} - (out.tm_hour * 3600 + out.tm_min * 60 + out.tm_sec);
        std::tm first{};
        std::tm last{};
        if (start >= std::numeric_limits<Time32>::min() &&
            start + 86399 <= std::numeric_limits<Time32>::max() &&
            ToLocalTime(static_cast<Time32>(start), first) &&
            ToLocalTime(static_cast<Time32>(start + 86399), last) &&
            first.tm_gmtoff == out.tm_gmtoff && last.tm_gmtoff == out.tm_gmtoff &&
            first.tm_hour == 0 && first.tm_min == 0 && first.tm_sec == 0 && last.tm_hour == 23 &&
            last.tm_min == 59 && last.tm_sec == 59 && last.tm_mday == out.tm_mday) {
            m_start = start;
            m_end = start + 86400;
            m_day = out;
        }
        return true;
    }

private:
    std::int64_t m_start = 0;
    std::int64_t m_end = 0;  // empty until the first day is known
    std::tm m_day{};
};

/// Writes `value` (0-99) as two digits.
char* TwoDigits(char* at, int value) {
    at[0] = static_cast<char>('0' + value / 10);
    at[1] = static_cast<char>('0' + value % 10);
    return at + 2;
}

/// Writes a non-negative number in decimal, at least two digits.
char* AtLeastTwoDigits(char* at, std::int64_t value) {
    if (value < 10) {
        *at++ = '0';
    }
    return std::to_chars(at, at + 24, value).ptr;
}

/// The cells of the text export, made as the list's cells are (see CellText) but into one
/// scratch buffer, with the texts that repeat from row to row looked up once.
class TextCells {
public:
    TextCells(const TextSource& texts, const Tariff& tariff)
        : m_texts(texts),
          m_tariff(tariff),
          m_priceFormat(PriceFormat(tariff)),
          m_symbol(tariff.CurrShort.c_str()),  // as the format has it: up to a zero byte
          m_decimals(std::max(tariff.CurrDecName, 0)),
          m_symbolAfter(tariff.CurrAfterNum != 0) {
        for (int kind = KindConnected; kind <= KindMonitorStop; ++kind) {
            m_kindNames[static_cast<std::size_t>(kind)] = texts.Entry(kKindTextEntry + kind);
            m_kindCharacters[static_cast<std::size_t>(kind)] =
                CharacterCount(m_kindNames[static_cast<std::size_t>(kind)]);
        }
        for (int month = 0; month < 12; ++month) {
            m_monthNames[static_cast<std::size_t>(month)] = MonthName(texts, month);
        }
    }

    std::string_view Title(int id) {
        m_fallback = m_texts.Entry(kColumnTable[static_cast<std::size_t>(id)].listTitleEntry);
        return m_fallback;
    }

    /// The cell's text; `characters` its length in characters when cheaper known than
    /// counted, else npos.
    std::string_view Cell(int id, const CallRow& r, std::size_t& characters) {
        const bool marker = IsMarker(r.kind);
        characters = std::string_view::npos;
        switch (id) {
            case ColKind:
                // Only kinds 0-4 have a name; a damaged kind must not pick another entry.
                if (r.kind >= KindConnected && r.kind <= KindMonitorStop) {
                    characters = m_kindCharacters[static_cast<std::size_t>(r.kind)];
                    return m_kindNames[static_cast<std::size_t>(r.kind)];
                }
                return {};
            case ColStart:
                if (r.kind == KindMonthSum) {
                    return MonthLine(r.startTime);
                }
                return Ascii(DateTime(r.startTime), characters);
            case ColConnected:
                return marker ? std::string_view()
                              : Ascii(Duration(r.connectedSeconds), characters);
            case ColDialing:
                return marker ? std::string_view() : Ascii(Duration(r.dialingSeconds), characters);
            case ColPrice:
                return marker ? std::string_view() : Price(r.price, characters);
            case ColUser:
                return r.kind == KindMonthSum ? std::string_view() : r.userName;
            case ColEntry:
                return marker ? std::string_view() : r.entryName;
            case ColDeviceName:
                return marker ? std::string_view() : r.deviceName;
            default:
                return marker ? std::string_view() : r.deviceType;
        }
    }

private:
    static std::string_view Ascii(std::string_view text, std::size_t& characters) {
        characters = text.size();
        return text;
    }

    /// The scratch buffer's text after a snprintf that returned `n`; empty when it failed.
    std::string_view Printed(int n) const {
        return n > 0 ? std::string_view(m_scratch.data(),
                                        std::min(static_cast<std::size_t>(n), m_scratch.size() - 1))
                     : std::string_view();
    }

    std::string_view MonthLine(Time32 start) {
        std::tm local{};
        if (!ToLocalTime(start, local)) {
            return {};
        }
        const std::string& name = m_monthNames[static_cast<std::size_t>(local.tm_mon)];
        return Printed(std::snprintf(m_scratch.data(), m_scratch.size(), "%d %s",
                                     local.tm_year + 1900, name.c_str()));
    }

    std::string_view DateTime(Time32 t) {
        std::tm local{};
        if (t == 0 || !m_days.Get(t, local)) {
            return "00.00.0000  00:00:00";
        }
        const int year = local.tm_year + 1900;
        if (year < 1000 || year > 9999) {
            return Printed(std::snprintf(
                m_scratch.data(), m_scratch.size(), "%02d.%02d.%4d  %02d:%02d:%02d", local.tm_mday,
                local.tm_mon + 1, year, local.tm_hour, local.tm_min, local.tm_sec));
        }
        // "dd.mm.yyyy  hh:mm:ss"
        char* at = m_scratch.data();
        at = TwoDigits(at, local.tm_mday);
        *at++ = '.';
        at = TwoDigits(at, local.tm_mon + 1);
        *at++ = '.';
        at = TwoDigits(TwoDigits(at, year / 100), year % 100);
        *at++ = ' ';
        *at++ = ' ';
        at = TwoDigits(at, local.tm_hour);
        *at++ = ':';
        at = TwoDigits(at, local.tm_min);
        *at++ = ':';
        at = TwoDigits(at, local.tm_sec);
        return {m_scratch.data(), static_cast<std::size_t>(at - m_scratch.data())};
    }

    std::string_view Duration(std::int64_t seconds) {
        if (seconds < 0) {
            // As printf writes the negative parts of a damaged record.
            return Printed(std::snprintf(m_scratch.data(), m_scratch.size(), "%02lld:%02lld:%02lld",
                                         static_cast<long long>(seconds / 3600),
                                         static_cast<long long>(seconds % 3600 / 60),
                                         static_cast<long long>(seconds % 60)));
        }
        char* at = AtLeastTwoDigits(m_scratch.data(), seconds / 3600);
        *at++ = ':';
        at = TwoDigits(at, static_cast<int>(seconds % 3600 / 60));
        *at++ = ':';
        at = TwoDigits(at, static_cast<int>(seconds % 60));
        return {m_scratch.data(), static_cast<std::size_t>(at - m_scratch.data())};
    }

    std::string_view Price(float price, std::size_t& characters) {
        // Prices repeat (the tariff's steps), and printf of a float is the dearest cell: the
        // texts of the last prices are kept by the price's bits.
        std::uint32_t bits = 0;
        std::memcpy(&bits, &price, sizeof bits);
        PriceText& cached = m_prices[(bits * 2654435761u) >> 22];  // 1024 slots
        if (cached.filled && cached.bits == bits) {
            characters = cached.characters;
            return {cached.text.data(), cached.size};
        }
        std::string_view text;
        if (std::isfinite(price) && m_decimals <= kMaxFastDecimals &&
            m_symbol.size() <= kMaxFastSymbol) {
            // The symbol and the number as the format's %.Nf writes it: to_chars rounds the
            // exact value of the double as printf does, digit for digit, at a fraction of
            // its cost. (A float has at most 39 digits before the point.)
            char* at = m_scratch.data();
            if (!m_symbolAfter) {
                at = std::copy(m_symbol.begin(), m_symbol.end(), at);
            }
            at = std::to_chars(at, m_scratch.data() + m_scratch.size(), static_cast<double>(price),
                               std::chars_format::fixed, m_decimals)
                     .ptr;
            if (m_symbolAfter) {
                at = std::copy(m_symbol.begin(), m_symbol.end(), at);
            }
            text = {m_scratch.data(), static_cast<std::size_t>(at - m_scratch.data())};
        } else {
            // The format's only conversion is one %.Nf; every other percent sign is doubled.
            const int n = std::snprintf(m_scratch.data(), m_scratch.size(), m_priceFormat.c_str(),
                                        static_cast<double>(price));
            if (n >= 0 && static_cast<std::size_t>(n) >= m_scratch.size()) {
                m_fallback = FormatPrice(m_tariff, price);  // a huge price or a long symbol
                return m_fallback;
            }
            text = Printed(n);
        }
        if (text.size() <= cached.text.size()) {
            cached.filled = true;
            cached.bits = bits;
            cached.size = text.size();
            cached.characters = CharacterCount(text);
            std::memcpy(cached.text.data(), text.data(), text.size());
        }
        return text;
    }

    struct PriceText {
        bool filled = false;
        std::uint32_t bits = 0;
        std::size_t size = 0;
        std::size_t characters = 0;
        std::array<char, 40> text{};
    };

    const TextSource& m_texts;
    const Tariff& m_tariff;
    // Room in the scratch buffer for the symbol and the longest number of a fast price.
    static constexpr int kMaxFastDecimals = 64;
    static constexpr std::size_t kMaxFastSymbol = 256;
    const std::string m_priceFormat;
    const std::string m_symbol;  // the currency symbol as written, percent signs single
    const int m_decimals;
    const bool m_symbolAfter;
    const CLocaleScope m_cLocale;  // prices with "." whatever the front end's locale
    std::array<std::string, 5> m_kindNames;
    std::array<std::size_t, 5> m_kindCharacters{};
    std::array<std::string, 12> m_monthNames;
    std::array<char, 512> m_scratch{};
    std::string m_fallback;
    LocalDays m_days;
    std::vector<PriceText> m_prices = std::vector<PriceText>(1024);
};

}  // namespace

/// One form of the export, written a row at a time.
class CallExportWriter::Form {
public:
    virtual ~Form() = default;
    virtual void Row(const CallRow& row) = 0;
    virtual void Finish() = 0;
};

namespace {

class TextForm final : public CallExportWriter::Form {
public:
    TextForm(const CallList& list, ExportStream& out)
        : m_out(out),
          m_visible(list.VisibleColumns()),
          m_cells(list.Texts(), list.CurrentTariff()) {
        for (const std::int16_t id : m_visible) {
            Cell(id, m_cells.Title(id), std::string_view::npos);
        }
        m_out.Write("\n\n");
    }

    void Row(const CallRow& row) override {
        for (const std::int16_t id : m_visible) {
            std::size_t characters = 0;
            const std::string_view text = m_cells.Cell(id, row, characters);
            Cell(id, text, characters);
        }
        m_out.Put('\n');
    }

    void Finish() override {}

private:
    void Cell(int id, std::string_view text, std::size_t characters) {
        m_out.Write(text);
        // Padded on the right to the field's width in characters, so that the columns line
        // up in any language; a longer text is written whole.
        const auto width =
            static_cast<std::size_t>(kColumnTable[static_cast<std::size_t>(id)].exportWidth);
        if (characters == std::string_view::npos) {
            characters = CharacterCount(text);
        }
        if (characters < width) {
            WriteSpaces(m_out, width - characters);
        }
    }

    ExportStream& m_out;
    const std::vector<std::int16_t> m_visible;
    TextCells m_cells;
};

// --- The raw forms -----------------------------------------------------------------------

/// The length of the well-formed UTF-8 character at the front of `s` (which is not empty and
/// does not start with ASCII); 0 when the front is not one.
std::size_t Utf8Length(std::string_view s) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned lead = byte(0);
    std::size_t length = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong form
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogate
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing beyond U+10FFFF
    } else {
        return 0;
    }
    if (s.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

/// Writes a text as UTF-8: the ASCII characters `special` picks written by `escape`, the
/// rest as they are, and every byte that is not part of a well-formed character as U+FFFD.
template <typename Special, typename Escape>
void WriteUtf8(ExportStream& out, std::string_view text, Special special, Escape escape) {
    std::size_t plain = 0;  // start of the run of bytes written as they are
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (special(c)) {
                out.Write(text.substr(plain, i - plain));
                escape(c);
                plain = i + 1;
            }
            ++i;
            continue;
        }
        if (const std::size_t length = Utf8Length(text.substr(i))) {
            i += length;
            continue;
        }
        out.Write(text.substr(plain, i - plain));
        out.Write("\xEF\xBF\xBD");
        plain = ++i;
    }
    out.Write(text.substr(plain));
}

void WriteJsonString(ExportStream& out, std::string_view text) {
    out.Put('"');
    WriteUtf8(
        out, text, [](unsigned char c) { return c < 0x20 || c == '"' || c == '\\'; },
        [&](unsigned char c) {
            static constexpr char kHex[] = "0123456789abcdef";
            switch (c) {
                case '"':
                    out.Write("\\\"");
                    break;
                case '\\':
                    out.Write("\\\\");
                    break;
                case '\n':
                    out.Write("\\n");
                    break;
                case '\r':
                    out.Write("\\r");
                    break;
                case '\t':
                    out.Write("\\t");
                    break;
                default:
                    out.Write("\\u00");
                    out.Put(kHex[c >> 4]);
                    out.Put(kHex[c & 15]);
                    break;
            }
        });
    out.Put('"');
}

void WriteCsvText(ExportStream& out, std::string_view text) {
    // Quoted only when it must be: a comma, a quote or a line break inside.
    const bool quoted = text.find_first_of(",\"\r\n") != std::string_view::npos;
    if (quoted) {
        out.Put('"');
    }
    WriteUtf8(
        out, text, [](unsigned char c) { return c == '"'; },
        [&](unsigned char) { out.Write("\"\""); });
    if (quoted) {
        out.Put('"');
    }
}

template <typename Number>
void WriteNumber(ExportStream& out, Number value) {
    char* at = out.Reserve(64);
    const auto result = std::to_chars(at, at + 64, value);
    out.Commit(static_cast<std::size_t>(result.ptr - at));
}

/// ISO 8601 local time with its offset from UTC, "2024-03-31T03:00:00+02:00", in quotes when
/// `quote`; nothing for the time 0 (no time) or a time the local clock cannot show.
bool WriteIsoTime(ExportStream& out, Time32 t, bool quote, LocalDays& days) {
    std::tm local{};
    if (t == 0 || !days.Get(t, local)) {
        return false;
    }
    const int year = local.tm_year + 1900;
    const long offset = std::labs(local.tm_gmtoff);
    char* const begin = out.Reserve(64);
    char* at = begin;
    if (quote) {
        *at++ = '"';
    }
    if (year >= 0 && year <= 9999) {
        at = TwoDigits(TwoDigits(at, year / 100), year % 100);
    } else {
        at = std::to_chars(at, at + 12, year).ptr;
    }
    *at++ = '-';
    at = TwoDigits(at, local.tm_mon + 1);
    *at++ = '-';
    at = TwoDigits(at, local.tm_mday);
    *at++ = 'T';
    at = TwoDigits(at, local.tm_hour);
    *at++ = ':';
    at = TwoDigits(at, local.tm_min);
    *at++ = ':';
    at = TwoDigits(at, local.tm_sec);
    *at++ = local.tm_gmtoff < 0 ? '-' : '+';
    at = TwoDigits(at, static_cast<int>(offset / 3600 % 100));
    *at++ = ':';
    at = TwoDigits(at, static_cast<int>(offset % 3600 / 60));
    if (offset % 60 != 0) {
        // An old local mean time is off by seconds too; leaving them out would move the time.
        *at++ = ':';
        at = TwoDigits(at, static_cast<int>(offset % 60));
    }
    if (quote) {
        *at++ = '"';
    }
    out.Commit(static_cast<std::size_t>(at - begin));
    return true;
}

/// One raw value of a record: `null` stands for no value, `writeText` writes a text, and
/// times are quoted as texts when `quoteTimes`.
template <typename WriteTextValue>
void WriteRawValue(ExportStream& out, int id, const CallRow& r, std::string_view null,
                   bool quoteTimes, LocalDays& days, WriteTextValue writeText) {
    switch (id) {
        case ColKind:
            WriteNumber(out, r.kind);
            break;
        case ColStart:
            if (!WriteIsoTime(out, r.startTime, quoteTimes, days)) {
                out.Write(null);
            }
            break;
        case ColConnected:
            WriteNumber(out, r.connectedSeconds);
            break;
        case ColDialing:
            WriteNumber(out, r.dialingSeconds);
            break;
        case ColPrice:
            if (std::isfinite(r.price)) {
                WriteNumber(out, r.price);  // the shortest text that reads back as the float
            } else {
                out.Write(null);
            }
            break;
        case ColUser:
            writeText(r.userName);
            break;
        case ColEntry:
            writeText(r.entryName);
            break;
        case ColDeviceName:
            writeText(r.deviceName);
            break;
        default:
            writeText(r.deviceType);
            break;
    }
}

class CsvForm final : public CallExportWriter::Form {
public:
    CsvForm(const CallList& list, ExportStream& out)
        : m_out(out), m_visible(list.VisibleColumns()) {
        for (std::size_t c = 0; c < m_visible.size(); ++c) {
            Separate(c);
            m_out.Write(kRawNames[static_cast<std::size_t>(m_visible[c])]);
        }
        m_out.Write("\r\n");
    }

    void Row(const CallRow& row) override {
        auto text = [this](std::string_view value) { WriteCsvText(m_out, value); };
        for (std::size_t c = 0; c < m_visible.size(); ++c) {
            Separate(c);
            WriteRawValue(m_out, m_visible[c], row, "", false, m_days, text);
        }
        m_out.Write("\r\n");
    }

    void Finish() override {}

private:
    void Separate(std::size_t column) {
        if (column > 0) {
            m_out.Put(',');
        }
    }

    ExportStream& m_out;
    const std::vector<std::int16_t> m_visible;
    LocalDays m_days;
};

class JsonForm final : public CallExportWriter::Form {
public:
    JsonForm(const CallList& list, ExportStream& out)
        : m_out(out), m_visible(list.VisibleColumns()) {
        m_out.Write("[\n");
    }

    void Row(const CallRow& row) override {
        // The comma that parts two objects goes before the next one: the rows may come as
        // they are read, and the last is known only at the end.
        if (m_rows++ > 0) {
            m_out.Write(",\n");
        }
        auto text = [this](std::string_view value) { WriteJsonString(m_out, value); };
        m_out.Put('{');
        for (std::size_t c = 0; c < m_visible.size(); ++c) {
            if (c > 0) {
                m_out.Put(',');
            }
            m_out.Put('"');
            m_out.Write(kRawNames[static_cast<std::size_t>(m_visible[c])]);
            m_out.Write("\":");
            WriteRawValue(m_out, m_visible[c], row, "null", true, m_days, text);
        }
        m_out.Put('}');
    }

    void Finish() override { m_out.Write(m_rows > 0 ? "\n]\n" : "]\n"); }

private:
    ExportStream& m_out;
    const std::vector<std::int16_t> m_visible;
    LocalDays m_days;
    std::size_t m_rows = 0;
};

/// write(2) of all of `bytes`, going on after an interruption or a short write.
bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = EIO;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

std::optional<ExportFormat> ParseExportFormat(std::string_view name) {
    if (name == "text") {
        return ExportFormat::Text;
    }
    if (name == "csv") {
        return ExportFormat::Csv;
    }
    if (name == "json") {
        return ExportFormat::Json;
    }
    return std::nullopt;
}

ExportStream::ExportStream(Sink sink)
    : m_sink(std::move(sink)), m_buffer(std::make_unique<char[]>(kBufferBytes)) {}

void ExportStream::Drain() {
    if (!m_failed && m_used > 0 && !m_sink(std::string_view(m_buffer.get(), m_used))) {
        m_failed = true;
        m_errno = errno;
    }
    m_used = 0;
}

void ExportStream::WriteLong(std::string_view bytes) {
    while (!bytes.empty()) {
        if (m_used == kBufferBytes) {
            Drain();
        }
        const std::size_t n = std::min(bytes.size(), kBufferBytes - m_used);
        std::char_traits<char>::copy(m_buffer.get() + m_used, bytes.data(), n);
        m_used += n;
        bytes.remove_prefix(n);
    }
}

bool ExportStream::Flush() {
    Drain();
    return !m_failed;
}

CallExportWriter::CallExportWriter(const CallList& list, ExportFormat format, ExportStream& out) {
    switch (format) {
        case ExportFormat::Text:
            m_form = std::make_unique<TextForm>(list, out);
            break;
        case ExportFormat::Csv:
            m_form = std::make_unique<CsvForm>(list, out);
            break;
        case ExportFormat::Json:
            m_form = std::make_unique<JsonForm>(list, out);
            break;
    }
}

CallExportWriter::~CallExportWriter() = default;

void CallExportWriter::Row(const CallRow& row) {
    m_form->Row(row);
}

void CallExportWriter::Finish() {
    m_form->Finish();
}

void WriteCallExport(const CallList& list, ExportFormat format, ExportStream& out) {
    CallExportWriter writer(list, format, out);
    for (std::size_t i = 0; i < list.Count(); ++i) {
        writer.Row(list.Row(i));
    }
    writer.Finish();
}

ExportFile::ExportFile(const std::string& path, std::string* error)
    : m_path(path), m_fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)) {
    if (m_fd < 0) {
        if (error) {
            *error = ErrnoText(path);
        }
        return;
    }
    // A file replaced keeps its mode unless told: private as every file the program writes,
    // the calls say who phoned where and when. Not a device or a pipe the user named.
    struct stat st {};
    if (::fstat(m_fd, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 07777) != 0600) {
        (void)::fchmod(m_fd, 0600);
    }
    m_stream = std::make_unique<ExportStream>(
        [fd = m_fd](std::string_view bytes) { return WriteAll(fd, bytes); });
}

ExportFile::~ExportFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool ExportFile::Close(std::string* error) {
    if (m_fd < 0) {
        return false;
    }
    bool ok = m_stream->Flush();
    int failure = m_stream->Error();
    if (::close(std::exchange(m_fd, -1)) != 0 && ok) {
        ok = false;  // a file system that reports a lost write only now
        failure = errno;
    }
    if (!ok && error) {
        errno = failure;
        *error = ErrnoText(m_path);
    }
    return ok;
}

bool ExportCallsToFile(const CallList& list, ExportFormat format, const std::string& path,
                       std::string* error) {
    ExportFile file(path, error);
    if (!file.IsOpen()) {
        return false;
    }
    WriteCallExport(list, format, file.Stream());
    return file.Close(error);
}

bool ExportLoadedCallsToFile(CallList& list, ExportFormat format, ExportFile& file,
                             std::string* error) {
    CallExportWriter writer(list, format, file.Stream());
    list.LoadStreamed([&writer](const CallRow& row) { writer.Row(row); });
    writer.Finish();
    return file.Close(error);
}

}  // namespace ov
