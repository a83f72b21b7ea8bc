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
#include <ctime>

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
/// character.
std::size_t CharacterCount(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void WriteSpaces(ExportStream& out, std::size_t count) {
    static constexpr std::string_view kSpaces =
        "                                                  ";
    while (count > 0) {
        const std::size_t n = std::min(count, kSpaces.size());
        out.Write(kSpaces.substr(0, n));
        count -= n;
    }
}

/// The cells of the text export, made as the list's cells are (see CellText) but into one
/// scratch buffer, with the texts that repeat from row to row looked up once.
class TextCells {
public:
    TextCells(const TextSource& texts, const Tariff& tariff)
        : m_texts(texts), m_tariff(tariff), m_priceFormat(PriceFormat(tariff)) {
        for (int kind = KindConnected; kind <= KindMonitorStop; ++kind) {
            m_kindNames[static_cast<std::size_t>(kind)] = texts.Entry(kKindTextEntry + kind);
        }
        for (int month = 0; month < 12; ++month) {
            m_monthNames[static_cast<std::size_t>(month)] = MonthName(texts, month);
        }
    }

    std::string_view Title(int id) {
        m_fallback = m_texts.Entry(kColumnTable[static_cast<std::size_t>(id)].listTitleEntry);
        return m_fallback;
    }

    std::string_view Cell(int id, const CallRow& r) {
        const bool marker = IsMarker(r.kind);
        switch (id) {
            case ColKind:
                // Only kinds 0-4 have a name; a damaged kind must not pick another entry.
                return r.kind >= KindConnected && r.kind <= KindMonitorStop
                           ? std::string_view(m_kindNames[static_cast<std::size_t>(r.kind)])
                           : std::string_view();
            case ColStart:
                return r.kind == KindMonthSum ? MonthLine(r.startTime) : DateTime(r.startTime);
            case ColConnected:
                return marker ? std::string_view() : Duration(r.connectedSeconds);
            case ColDialing:
                return marker ? std::string_view() : Duration(r.dialingSeconds);
            case ColPrice:
                return marker ? std::string_view() : Price(r.price);
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
        if (t == 0 || !ToLocalTime(t, local)) {
            return "00.00.0000  00:00:00";
        }
        return Printed(std::snprintf(
            m_scratch.data(), m_scratch.size(), "%02d.%02d.%4d  %02d:%02d:%02d", local.tm_mday,
            local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec));
    }

    std::string_view Duration(std::int64_t seconds) {
        return Printed(std::snprintf(m_scratch.data(), m_scratch.size(), "%02lld:%02lld:%02lld",
                                     static_cast<long long>(seconds / 3600),
                                     static_cast<long long>(seconds % 3600 / 60),
                                     static_cast<long long>(seconds % 60)));
    }

    std::string_view Price(float price) {
        // The format's only conversion is one %.Nf; every other percent sign is doubled.
        const int n = std::snprintf(m_scratch.data(), m_scratch.size(), m_priceFormat.c_str(),
                                    static_cast<double>(price));
        if (n >= 0 && static_cast<std::size_t>(n) >= m_scratch.size()) {
            m_fallback = FormatPrice(m_tariff, price);  // a huge price or a long symbol
            return m_fallback;
        }
        return Printed(n);
    }

    const TextSource& m_texts;
    const Tariff& m_tariff;
    const std::string m_priceFormat;
    const CLocaleScope m_cLocale;  // prices with "." whatever the front end's locale
    std::array<std::string, 5> m_kindNames;
    std::array<std::string, 12> m_monthNames;
    std::array<char, 512> m_scratch{};
    std::string m_fallback;
};

void WriteText(const CallList& list, ExportStream& out) {
    TextCells cells(list.Texts(), list.CurrentTariff());
    const auto& visible = list.VisibleColumns();
    auto cell = [&](int id, std::string_view text) {
        out.Write(text);
        // Padded on the right to the field's width in characters, so that the columns line
        // up in any language; a longer text is written whole.
        const auto width =
            static_cast<std::size_t>(kColumnTable[static_cast<std::size_t>(id)].exportWidth);
        const std::size_t characters = CharacterCount(text);
        if (characters < width) {
            WriteSpaces(out, width - characters);
        }
    };
    for (const std::int16_t id : visible) {
        cell(id, cells.Title(id));
    }
    out.Write("\n\n");
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const CallRow row = list.Row(i);
        for (const std::int16_t id : visible) {
            cell(id, cells.Cell(id, row));
        }
        out.Put('\n');
    }
}

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
bool WriteIsoTime(ExportStream& out, Time32 t, bool quote) {
    std::tm local{};
    if (t == 0 || !ToLocalTime(t, local)) {
        return false;
    }
    if (quote) {
        out.Put('"');
    }
    const long offset = std::labs(local.tm_gmtoff);
    char* at = out.Reserve(64);
    int n =
        std::snprintf(at, 64, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", local.tm_year + 1900,
                      local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                      local.tm_gmtoff < 0 ? '-' : '+', offset / 3600, offset % 3600 / 60);
    if (offset % 60 != 0 && n > 0 && n < 60) {
        // An old local mean time is off by seconds too; leaving them out would move the time.
        n += std::snprintf(at + n, 64 - static_cast<std::size_t>(n), ":%02ld", offset % 60);
    }
    out.Commit(n > 0 ? static_cast<std::size_t>(std::min(n, 63)) : 0);
    if (quote) {
        out.Put('"');
    }
    return true;
}

/// One raw value of a record: `null` stands for no value, `writeText` writes a text, and
/// times are quoted as texts when `quoteTimes`.
template <typename WriteTextValue>
void WriteRawValue(ExportStream& out, int id, const CallRow& r, std::string_view null,
                   bool quoteTimes, WriteTextValue writeText) {
    switch (id) {
        case ColKind:
            WriteNumber(out, r.kind);
            break;
        case ColStart:
            if (!WriteIsoTime(out, r.startTime, quoteTimes)) {
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

void WriteCsv(const CallList& list, ExportStream& out) {
    const auto& visible = list.VisibleColumns();
    auto separate = [&](std::size_t column) {
        if (column > 0) {
            out.Put(',');
        }
    };
    for (std::size_t c = 0; c < visible.size(); ++c) {
        separate(c);
        out.Write(kRawNames[static_cast<std::size_t>(visible[c])]);
    }
    out.Write("\r\n");
    auto text = [&](std::string_view value) { WriteCsvText(out, value); };
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const CallRow row = list.Row(i);
        for (std::size_t c = 0; c < visible.size(); ++c) {
            separate(c);
            WriteRawValue(out, visible[c], row, "", false, text);
        }
        out.Write("\r\n");
    }
}

void WriteJson(const CallList& list, ExportStream& out) {
    const auto& visible = list.VisibleColumns();
    auto text = [&](std::string_view value) { WriteJsonString(out, value); };
    out.Write("[\n");
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const CallRow row = list.Row(i);
        out.Put('{');
        for (std::size_t c = 0; c < visible.size(); ++c) {
            if (c > 0) {
                out.Put(',');
            }
            out.Put('"');
            out.Write(kRawNames[static_cast<std::size_t>(visible[c])]);
            out.Write("\":");
            WriteRawValue(out, visible[c], row, "null", true, text);
        }
        out.Write(i + 1 < list.Count() ? "},\n" : "}\n");
    }
    out.Write("]\n");
}

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

void WriteCallExport(const CallList& list, ExportFormat format, ExportStream& out) {
    switch (format) {
        case ExportFormat::Text:
            WriteText(list, out);
            break;
        case ExportFormat::Csv:
            WriteCsv(list, out);
            break;
        case ExportFormat::Json:
            WriteJson(list, out);
            break;
    }
}

bool ExportCallsToFile(const CallList& list, ExportFormat format, const std::string& path,
                       std::string* error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (error) {
            *error = ErrnoText(path);
        }
        return false;
    }
    // A file replaced keeps its mode unless told: private as every file the program writes,
    // the calls say who phoned where and when. Not a device or a pipe the user named.
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 07777) != 0600) {
        (void)::fchmod(fd, 0600);
    }
    ExportStream out([fd](std::string_view bytes) { return WriteAll(fd, bytes); });
    WriteCallExport(list, format, out);
    bool ok = out.Flush();
    int failure = out.Error();
    if (::close(fd) != 0 && ok) {
        ok = false;  // a file system that reports a lost write only now
        failure = errno;
    }
    if (!ok && error) {
        errno = failure;
        *error = ErrnoText(path);
    }
    return ok;
}

}  // namespace ov
