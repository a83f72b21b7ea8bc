#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ov {

class CallList;
struct CallRecordView;
using CallRow = CallRecordView;

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

/// The export written a row at a time, for rows that come as they are read rather than from
/// a loaded list: the head of the export (the header line, the opening bracket) when made,
/// each row in the list's visible columns with its texts and tariff, the end on Finish.
class CallExportWriter {
public:
    CallExportWriter(const CallList& list, ExportFormat format, ExportStream& out);
    ~CallExportWriter();
    CallExportWriter(const CallExportWriter&) = delete;
    CallExportWriter& operator=(const CallExportWriter&) = delete;

    void Row(const CallRow& row);
    void Finish();

    class Form;

private:
    std::unique_ptr<Form> m_form;
};

/// Writes the export of the list's records in load order to `out` (not flushed).
void WriteCallExport(const CallList& list, ExportFormat format, ExportStream& out);

/// A file an export is written to: opened replacing it (a new or replaced regular file gets
/// mode 0600: the calls say who phoned where and when), written through Stream(), closed.
class ExportFile {
public:
    /// Opens `path`; when it cannot be, IsOpen() is false and `error` says why.
    ExportFile(const std::string& path, std::string* error);
    ~ExportFile();
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    ExportStream& Stream() { return *m_stream; }
    /// Writes what is left and closes the file. False, with the reason in `error`, when the
    /// file could not be written whole.
    bool Close(std::string* error);

private:
    std::string m_path;
    int m_fd = -1;
    std::unique_ptr<ExportStream> m_stream;
};

/// Writes the export to `path`, replacing the file (see ExportFile). False, with the reason in
/// `error`, when the file could not be written whole.
bool ExportCallsToFile(const CallList& list, ExportFormat format, const std::string& path,
                       std::string* error);

/// Loads the list under its filter (CallList::LoadStreamed) and writes each row to the open
/// `file` as it is read, then closes it: the same bytes as a Reload followed by
/// ExportCallsToFile, without holding the rows. The list is left empty, with its totals and
/// skipped files. False, with the reason in `error`, when the file could not be written whole.
bool ExportLoadedCallsToFile(CallList& list, ExportFormat format, ExportFile& file,
                             std::string* error);

}  // namespace ov
