#include "viewer/call_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <numeric>
#include <optional>
#include <string_view>

#include "calllog/call_log_file.h"
#include "platform/file_util.h"
#include "viewer/call_export.h"

namespace ov {

namespace {

/// The call log begins with August 1998; no older month file is ever looked for.
constexpr int kFirstLoggedMonth = 1998 * 12 + 7;

/// Months since year 0 of the local month `t` falls in; -1 when the clock cannot show it.
int LocalMonthNumber(Time32 t) {
    std::tm local{};
    if (!ToLocalTime(t, local)) {
        return -1;
    }
    return (local.tm_year + 1900) * 12 + local.tm_mon;
}

/// Reads a whole regular file opened as `fd` (closed here) into `buffer`, reusing its room
/// from file to file (a fresh block per month file costs more than decoding it), with
/// kBufferPadding bytes to spare after the file's bytes. The file's bytes, or nothing when it
/// cannot be read.
std::optional<std::string_view> ReadOpenedFile(int fd, const std::string& path, std::string& buffer,
                                               std::string* error) {
    const auto size = StoredFileSize(fd, path, kMaxStoredFileBytes, error);
    std::optional<std::string_view> bytes;
    if (size) {
        const auto wanted = static_cast<std::size_t>(*size);
        if (buffer.size() < wanted + kBufferPadding) {
            buffer.resize(wanted + kBufferPadding);
        }
        std::size_t done = 0;
        bool ok = true;
        while (done < wanted) {
            const ssize_t n = ::read(fd, buffer.data() + done, wanted - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0) {
                break;  // the file got shorter meanwhile: what was read is the file
            }
            done += static_cast<std::size_t>(n);
        }
        if (ok) {
            bytes = std::string_view(buffer.data(), done);
        }
    }
    ::close(fd);
    return bytes;
}

/// The bytes of the record of `size` bytes at the front of `bytes` from its first text's
/// length to its end: its four texts, as stored.
std::string_view TextsOf(std::string_view bytes, std::size_t size) {
    return bytes.substr(kCallRecordFixedSize, size - kCallRecordFixedSize);
}

}  // namespace

/// The month files of one load. The log folder is opened once for all of them: reaching it
/// anew for every month cost as much as decoding the month. When it cannot be opened so, each
/// file is opened by its path, and says why it could not be read on its own.
class CallList::MonthReader {
public:
    explicit MonthReader(const std::string& folder)
        : m_folderPath(folder), m_folder(NoFollowFolder::Open(folder)) {}

    /// The bytes of the month files from month number `first` to `last` (months since year
    /// 0) that are regular files a load reads; 0 when the folder is not open.
    std::uint64_t StoredBytes(int first, int last) const {
        std::uint64_t bytes = 0;
        for (int number = first; m_folder && number <= last; ++number) {
            const std::string path = MonthFilePath({}, number / 12, number % 12 + 1);
            struct stat st {};
            if (m_folder->Stat(path, st) && S_ISREG(st.st_mode) &&
                static_cast<std::uint64_t>(st.st_size) <= kMaxStoredFileBytes) {
                bytes += static_cast<std::uint64_t>(st.st_size);
            }
        }
        return bytes;
    }

    /// The bytes the reads have given so far.
    std::uint64_t BytesRead() const { return m_bytesRead; }

    /// The bytes of a month (index 0-11) in `buffer`; nothing when the month has no file
    /// (`why` empty) or it cannot be read (`why` says why).
    std::optional<std::string_view> Read(int year, int monthIndex, std::string& buffer,
                                         std::string& why) {
        why.clear();
        const std::string path = MonthFilePath(m_folderPath, year, monthIndex + 1);
        // As the writer: never through a link, never a device or a FIFO, never beyond the
        // limit.
        constexpr int kFlags = O_RDONLY | O_NONBLOCK;
        const int fd =
            m_folder ? m_folder->OpenFile(path.substr(path.rfind('/') + 1), path, kFlags, &why)
                     : OpenNoFollow(path, kFlags, 0, false, &why);
        if (fd < 0) {
            if (errno == ENOENT) {
                why.clear();  // a month without calls has no file
            }
            return std::nullopt;
        }
        const auto bytes = ReadOpenedFile(fd, path, buffer, &why);
        m_bytesRead += bytes ? bytes->size() : 0;
        return bytes;
    }

private:
    std::string m_folderPath;
    std::optional<NoFollowFolder> m_folder;
    std::uint64_t m_bytesRead = 0;
};

CallList::CallList(Settings& settings, const TextSource& texts, std::string folder,
                   const Clock& clock)
    : m_settings(settings),
      m_texts(&texts),
      m_folder(std::move(folder)),
      m_clock(clock),
      m_filter(settings),
      m_visible(VisibleColumnsFrom(settings.Columns)) {
    m_settings.SetPositionsLoadedHook([this] { m_filter.Recompute(); });
}

CallList::~CallList() {
    m_settings.SetPositionsLoadedHook({});
}

void CallList::SetTexts(const TextSource& texts) {
    m_texts = &texts;
    ReplaceAllEntries(m_settings, texts);
    m_filter.Recompute();
    // The drop-down lists show the new language's all-entries and month names too.
    auto& months = m_choices[FilterListId::Months].items;
    for (std::size_t i = 0; i < months.size() && i < m_settings.Months.items.size(); ++i) {
        months[i] = MonthItemText(texts, m_settings.Months.items[i]);
    }
    for (const auto id : {FilterListId::Entries, FilterListId::Users, FilterListId::DeviceNames,
                          FilterListId::DeviceTypes}) {
        auto& items = m_choices[id].items;
        if (!items.empty()) {
            items.front() = id == FilterListId::Entries       ? m_settings.ListEntries.items.front()
                            : id == FilterListId::Users       ? m_settings.ListUsers.items.front()
                            : id == FilterListId::DeviceNames ? m_settings.ListDNames.items.front()
                                                              : m_settings.ListDTypes.items.front();
        }
    }
}

void CallList::RebuildColumns(bool keepFirst) {
    m_visible = VisibleColumnsFrom(m_settings.Columns);
    if (m_hooks.columnsRebuilt) {
        m_hooks.columnsRebuilt(keepFirst);
    }
}

template <typename OnRecord>
bool CallList::ReadMonth(MonthReader& reader, int monthIndex, int year, CallTotals& totals,
                         OnRecord&& record) {
    std::string why;
    const auto bytes = reader.Read(year, monthIndex, m_fileBuffer, why);
    if (!bytes) {
        if (!why.empty()) {
            m_skippedFiles.push_back(std::move(why));
        }
        return false;
    }
    ReadRecords(*bytes, totals, record);
    return true;
}

template <typename OnRecord>
void CallList::ReadRecords(std::string_view bytes, CallTotals& totals, OnRecord&& keep) {
    // Whole records one after the other; the first that cannot be read whole (the end, or
    // damage) ends the file, and the records before it stay. The texts are looked at in the
    // file's bytes and copied only when new to the list.
    BufferInterner interner(m_store.Pool());
    CallRecordView record;
    if (m_filter.KindAloneDecides()) {
        // Most loads: every text and month passes and the kind alone decides, so the texts
        // need not even be cut at their first zero byte to be compared.
        bool shown[5];
        for (std::int32_t kind = 0; kind < 5; ++kind) {
            shown[kind] = m_filter.ShowsKind(kind);
        }
        while (const std::size_t used = DecodeCallRecordStored(bytes, record)) {
            const std::string_view texts = TextsOf(bytes, used);
            bytes.remove_prefix(used);
            if (static_cast<std::uint32_t>(record.kind) < 5 ? !shown[record.kind]
                                                            : !m_filter.ShowsKind(record.kind)) {
                continue;
            }
            totals.AddLeavingDays(record.kind, record.startTime, record.connectedSeconds,
                                  record.dialingSeconds, record.price);
            keep(record, texts, true, interner);
        }
    } else {
        while (const std::size_t used = DecodeCallRecordView(bytes, record)) {
            const std::string_view texts = TextsOf(bytes, used);
            bytes.remove_prefix(used);
            if (m_filter.Accepts(record)) {
                totals.AddLeavingDays(record.kind, record.startTime, record.connectedSeconds,
                                      record.dialingSeconds, record.price);
                keep(record, texts, false, interner);
            }
        }
    }
    totals.UpdateDays();
}

template <typename OnRecord, typename OnLine>
void CallList::Load(OnRecord&& record, OnLine&& line, bool planRoom) {
    m_skippedFiles.clear();
    m_totals.Clear();
    MonthReader reader(m_folder);
    if (m_filter.allMonths || m_filter.monthSums) {
        // Records are kept only when every month shows its records; else the month lines.
        auto records = [&](const CallRecordView& view, std::string_view texts, bool stored,
                           BufferInterner& interner) {
            if (m_filter.allMonths) {
                record(view, texts, stored, interner);
            }
        };
        const int current = LocalMonthNumber(m_clock.Now());
        // The room for the records, planned once the first month shows how many records its
        // bytes hold: a store grown by doubling copies itself and touches fresh memory again
        // and again, which cost a first load a fifth of its time.
        const std::uint64_t allBytes =
            planRoom && m_filter.allMonths ? reader.StoredBytes(kFirstLoggedMonth, current) : 0;
        bool planned = allBytes == 0;
        for (int number = kFirstLoggedMonth; number <= current; ++number) {
            CallTotals month;
            const bool read = ReadMonth(reader, number % 12, number / 12, month, records);
            if (!planned && m_store.Size() > 0 && reader.BytesRead() > 0 &&
                reader.BytesRead() < allBytes) {
                planned = true;
                const double perByte =
                    static_cast<double>(m_store.Size()) / static_cast<double>(reader.BytesRead());
                const auto left = static_cast<double>(allBytes - reader.BytesRead());
                // A little over the estimate, never more than the bytes could hold.
                const auto more = std::min(static_cast<std::uint64_t>(perByte * left * 1.02) + 64,
                                           (allBytes - reader.BytesRead()) / kCallRecordMinSize);
                m_store.Reserve(m_store.Size() + static_cast<std::size_t>(more));
            }
            if (!read || month.first == 0) {
                continue;
            }
            m_totals.Merge(month);
            if (m_filter.monthSums) {
                CallRecord sums;
                sums.kind = KindMonthSum;
                sums.startTime = month.first;
                // A month line keeps the record's 32-bit fields.
                sums.connectedSeconds = static_cast<std::int32_t>(month.connectedSeconds);
                sums.dialingSeconds = static_cast<std::int32_t>(month.dialingSeconds);
                sums.price = month.price;
                line(sums);
            }
        }
    } else if (const auto month = m_filter.SelectedMonth()) {
        ReadMonth(reader, month->month, month->year, m_totals, record);
    }
    m_fileBuffer = std::string();  // the room of the largest month file is not kept
}

void CallList::Reload() {
    AboutToReset();
    m_store.Clear();
    // The interner takes the texts as stored as well as cut at their first zero byte.
    Load([this](const CallRecordView& record, std::string_view texts, bool /*stored*/,
                BufferInterner& interner) { m_store.AppendPooled(record, texts, interner); },
         [this](const CallRecord& line) { m_store.Append(line); }, true);
    m_store.ShrinkToFit();
    ShowTotals();
    m_rows.resize(m_store.Size());
    m_rows.shrink_to_fit();
    std::iota(m_rows.begin(), m_rows.end(), 0u);
    Reset();
}

void CallList::LoadStreamed(const std::function<void(const CallRow&)>& row) {
    AboutToReset();
    m_store.Clear();
    Load(
        [&row](const CallRecordView& record, std::string_view /*texts*/, bool stored,
               BufferInterner& /*interner*/) {
            if (!stored) {
                row(record);
                return;
            }
            // Like the C string it stands for, a text ends at its first zero byte.
            CallRow cut = record;
            for (std::string_view* text :
                 {&cut.userName, &cut.entryName, &cut.deviceName, &cut.deviceType}) {
                text->remove_suffix(text->size() - ::strnlen(text->data(), text->size()));
            }
            row(cut);
        },
        [&row](const CallRecord& line) { row(RowOf(line)); }, false);
    m_rows.clear();
    m_rows.shrink_to_fit();
    ShowTotals();
    Reset();
}

void CallList::ChooseFilter(FilterListId list, int index) {
    m_filter.Select(list, index);
    m_choices[list].selected = index;
    Reload();
    m_settings.ExchangePositions(true);
}

void CallList::AddNewItems() {
    for (const FilterListId id : m_choices.AddNewItems(m_settings, *m_texts)) {
        if (m_hooks.choiceAppended) {
            m_hooks.choiceAppended(id);
        }
    }
}

std::size_t CallList::MonthLineFor(Time32 start) {
    const int month = LocalMonthNumber(start);
    for (std::size_t i = m_store.Size(); i-- > 0;) {
        if (LocalMonthNumber(m_store.Row(i).startTime) == month) {
            return i;
        }
    }
    // A month without a line yet (the first call of a new month) gets its own line, as the
    // next reload would give it, rather than joining another month's sums.
    CallRecord line;
    line.kind = KindMonthSum;
    line.startTime = start;
    return AppendRow(line);
}

std::size_t CallList::AppendRow(const CallRecord& record) {
    if (m_hooks.rowsAboutToAppend) {
        m_hooks.rowsAboutToAppend(m_rows.size(), 1);
    }
    const std::size_t index = m_store.Append(record);
    m_rows.push_back(static_cast<std::uint32_t>(index));
    if (m_hooks.rowsAppended) {
        m_hooks.rowsAppended();
    }
    return index;
}

void CallList::AddNewRecord(const CallRecord& record, bool showTotals) {
    if (!m_filter.Accepts(record)) {
        return;
    }
    if (m_filter.monthSums) {
        // A month line sums calls; a monitoring mark adds nothing to one, and a month that has
        // only marks gets none, as a reload shows it.
        if (record.kind > KindMonthSum) {
            return;
        }
        const std::size_t line = MonthLineFor(record.startTime);
        m_store.AddToSums(line, record.connectedSeconds, record.dialingSeconds, record.price);
        if (m_hooks.rowChanged) {
            // The line's row stands where the last sort put it.
            const auto row = std::find(m_rows.begin(), m_rows.end(), line);
            m_hooks.rowChanged(static_cast<std::size_t>(row - m_rows.begin()));
        }
    } else {
        AppendRow(record);
    }
    m_totals.Add(record);
    if (showTotals) {
        ShowTotals();
    }
}

void CallList::AboutToReset() const {
    if (m_hooks.aboutToReset) {
        m_hooks.aboutToReset();
    }
}

void CallList::Reset() const {
    if (m_hooks.reset) {
        m_hooks.reset();
    }
}

void CallList::ShowTotals() const {
    if (m_hooks.showTotals) {
        m_hooks.showTotals(m_totals);
    }
}

std::string CallList::CellText(int columnId, const CallRow* row) const {
    return ov::CellText(*m_texts, m_settings.CurrentTariff, columnId, row);
}

void CallList::SortByColumn(int listColumn) {
    if (listColumn < 0 || static_cast<std::size_t>(listColumn) >= m_visible.size()) {
        return;
    }
    if (listColumn != m_sortColumn) {
        m_sortColumn = listColumn;
        m_ascending = true;
    } else {
        m_ascending = !m_ascending;
    }
    AboutToReset();
    SortRows();
    Reset();
}

void CallList::SortRows() {
    const int id = m_visible[static_cast<std::size_t>(m_sortColumn)];
    // Stable, so that rows the column cannot tell apart keep the order they stood in.
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](std::uint32_t a, std::uint32_t b) {
        const int order = CompareRows(id, m_store.Row(a), m_store.Row(b));
        return m_ascending ? order < 0 : order > 0;
    });
}

std::string CallList::ExportText() const {
    std::string text;
    ExportStream out([&text](std::string_view bytes) {
        text.append(bytes);
        return true;
    });
    WriteCallExport(*this, ExportFormat::Text, out);
    out.Flush();
    return text;
}

bool CallList::ExportToFile(const std::string& path, std::string* error) const {
    return ExportCallsToFile(*this, ExportFormat::Text, path, error);
}

std::size_t CallList::MemoryBytes() const {
    return m_store.MemoryBytes() + m_rows.capacity() * sizeof(std::uint32_t);
}

}  // namespace ov
