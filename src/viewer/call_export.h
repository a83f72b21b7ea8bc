#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ov {

class CallList;

/// The forms the call list can be exported in. Text is the list as the program has always
/// written it: the visible columns padded to fixed widths with the language's texts. Csv (RFC
/// 4180, a header row, CRLF line ends) and Json (an array of objects, one a line) carry the
/// same rows in the same order and the same columns, as raw values for other programs: the
/// kind as its number, the start as ISO 8601 local time with its offset, durations in
/// seconds, the price as a number and the texts as stored. Both are UTF-8: a byte of a text
/// that is not is written as U+FFFD.
enum class ExportFormat { Text, Csv, Json };

/// "text", "csv" or "json"; nothing for any other name.
std::optional<ExportFormat> ParseExportFormat(std::string_view name);

/// Bytes written through one fixed buffer that is handed to `sink` each time it fills, so
/// that an export of any length takes the same memory. After the first failed hand-over
/// nothing more is written.
class ExportStream {
public:
    /// Takes a full buffer; false when it could not be written (errno says why).
    using Sink = std::function<bool(std::string_view bytes)>;

    explicit ExportStream(Sink sink);
    ExportStream(const ExportStream&) = delete;
    ExportStream& operator=(const ExportStream&) = delete;

    void Write(std::string_view bytes) {
        if (bytes.size() <= kBufferBytes - m_used) {
            std::char_traits<char>::copy(m_buffer.get() + m_used, bytes.data(), bytes.size());
            m_used += bytes.size();
        } else {
            WriteLong(bytes);
        }
    }
    void Put(char c) {
        if (m_used == kBufferBytes) {
            Drain();
        }
        m_buffer[m_used++] = c;
    }
    /// Room for at least `size` (at most kMaxReserve) bytes at the end of the buffer; commit
    /// what was used of it with Commit.
    char* Reserve(std::size_t size) {
        if (kBufferBytes - m_used < size) {
            Drain();
        }
        return m_buffer.get() + m_used;
    }
    void Commit(std::size_t size) { m_used += size; }

    /// Hands over what the buffer holds. False when this or an earlier hand-over failed.
    bool Flush();
    bool Failed() const { return m_failed; }
    /// The errno of the first failed hand-over.
    int Error() const { return m_errno; }

    static constexpr std::size_t kBufferBytes = std::size_t{64} * 1024;
    static constexpr std::size_t kMaxReserve = std::size_t{4} * 1024;

private:
    void Drain();
    void WriteLong(std::string_view bytes);

    Sink m_sink;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
    bool m_failed = false;
    int m_errno = 0;
};

/// Writes the export of the list's records in load order to `out` (not flushed).
void WriteCallExport(const CallList& list, ExportFormat format, ExportStream& out);

/// Writes the export to `path`, replacing the file (a new or replaced regular file gets mode
/// 0600: the calls say who phoned where and when). False, with the reason in `error`, when
/// the file could not be written whole.
bool ExportCallsToFile(const CallList& list, ExportFormat format, const std::string& path,
                       std::string* error);

}  // namespace ov
