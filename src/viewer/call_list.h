#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "calllog/call_list_sink.h"
#include "platform/clock.h"
#include "platform/text_source.h"
#include "settings/settings.h"
#include "viewer/call_cells.h"
#include "viewer/call_columns.h"
#include "viewer/call_filter.h"
#include "viewer/call_store.h"
#include "viewer/call_totals.h"

namespace ov {

/// What the call list's window is told; every member may be empty. Rows are positions in
/// RowOrder(), the order the window shows them in. The changes of the rows come in pairs, as a
/// Qt item model announces them: the first of a pair before anything changed, so that the rows
/// read as they were until it returns, the second once the change is done.
struct CallListHooks {
    std::function<void(std::size_t first, std::size_t count)> rowsAboutToAppend;
    std::function<void()> rowsAppended;               // rows joined at the end
    std::function<void(std::size_t row)> rowChanged;  // a month line changed its sums
    std::function<void()> aboutToReset;
    std::function<void()> reset;  // all rows again: reloaded or sorted
    std::function<void(const CallTotals&)> showTotals;
    std::function<void(bool keepFirst)> columnsRebuilt;
    std::function<void(FilterListId)> choiceAppended;  // a drop-down list got an item
};

/// The call list beneath its window: the call records loaded from the call log through the
/// filter, in load order, with their totals, the visible columns, the sort order of the rows,
/// and the text export. Window thread only.
class CallList : public CallListSink {
public:
    /// `folder` is the call log folder; `texts` and `settings` must outlive the list. The list
    /// recomputes its filter whenever the settings load their selections.
    CallList(Settings& settings, const TextSource& texts, std::string folder,
             const Clock& clock = DefaultClock());
    ~CallList() override;
    CallList(const CallList&) = delete;
    CallList& operator=(const CallList&) = delete;

    void SetHooks(CallListHooks hooks) { m_hooks = std::move(hooks); }

    /// After a switch of language: the new texts, and the all-entries of the lists replaced.
    void SetTexts(const TextSource& texts);

    CallFilter& Filter() { return m_filter; }
    const CallFilter& Filter() const { return m_filter; }
    FilterChoices& Choices() { return m_choices; }

    /// The visible columns again from the settings' `Columns`; `keepFirst` tells the window
    /// whether it keeps its first list column.
    void RebuildColumns(bool keepFirst);
    const std::vector<std::int16_t>& VisibleColumns() const { return m_visible; }

    /// Everything again from the call log under the current filter: every month from August
    /// 1998 to the current one (each as a month line in the sums mode), or the selected month.
    void Reload();

    /// A drop-down selection changed: select, reload, and store the positions.
    void ChooseFilter(FilterListId list, int index);

    // CallListSink: a record the call log writer has just appended.
    void AddNewItems() override;
    void AddNewRecord(const CallRecord& record, bool showTotals) override;

    /// The text of one cell; with no row the column's list title.
    std::string CellText(int columnId, const CallRow* row) const;
    /// The language pack's texts and the tariff the cells are made with.
    const TextSource& Texts() const { return *m_texts; }
    const Tariff& CurrentTariff() const { return m_settings.CurrentTariff; }

    std::size_t Count() const { return m_store.Size(); }
    CallRow Row(std::size_t index) const { return m_store.Row(index); }
    CallRecord Record(std::size_t index) const { return m_store.Record(index); }
    const CallTotals& Totals() const { return m_totals; }
    /// The nine summary fields of the totals.
    std::vector<SumsField> Sums() const { return SumsFields(m_totals, m_settings.CurrentTariff); }

    /// A click on list column `listColumn`: ascending on a new column, else the other way.
    void SortByColumn(int listColumn);
    int SortColumn() const { return m_sortColumn; }
    bool SortAscending() const { return m_ascending; }
    /// Record indexes in the order the rows stand; load order until a sort.
    const std::vector<std::uint32_t>& RowOrder() const { return m_rows; }

    /// The text export: the header line, an empty line, one line per record in load order.
    /// (The export in every form, streamed: call_export.h.)
    std::string ExportText() const;
    /// Writes the text export to `path`, replacing it. False, with the reason in `error`, when
    /// the file could not be written whole.
    bool ExportToFile(const std::string& path, std::string* error = nullptr) const;

    /// Loads as Reload does but keeps no row, for a reader of the whole list in one pass (an
    /// export of a million calls need not hold them): each row, month lines included, goes to
    /// `row` in load order as it is read, its texts valid during the call only. The totals
    /// and the skipped files stay as Reload leaves them; the list is left empty.
    void LoadStreamed(const std::function<void(const CallRow&)>& row);

    /// Bytes the loaded records take, texts and row order included.
    std::size_t MemoryBytes() const;

    /// Month files of the last load that are there but were not read (a symbolic link, not a
    /// regular file, too large), each with the reason, for the user to hear of once.
    const std::vector<std::string>& SkippedFiles() const { return m_skippedFiles; }

private:
    class MonthReader;
    /// Loads every record the filter accepts from the call log into the totals, as Reload
    /// does, handing each to `record` in load order: `record(view, texts, stored, interner)`,
    /// the view's texts as stored (`stored`, not yet cut at their first zero byte) or cut, the
    /// record's bytes from its first text's length to its end, and an interner over the
    /// store's pool for the file buffer they lie in; and each month line of
    /// the sums mode to `line(const CallRecord&)`. The skipped files are kept. With
    /// `planRoom` the store is given room for the records it will likely keep.
    template <typename OnRecord, typename OnLine>
    void Load(OnRecord&& record, OnLine&& line, bool planRoom);
    /// Reads one month (index 0-11) through the filter into `totals`, handing the accepted
    /// records on. False when the month's file is missing or unreadable.
    template <typename OnRecord>
    bool ReadMonth(MonthReader& reader, int monthIndex, int year, CallTotals& totals,
                   OnRecord&& record);
    /// The records of one month file's bytes (in m_fileBuffer) through the filter.
    template <typename OnRecord>
    void ReadRecords(std::string_view bytes, CallTotals& totals, OnRecord&& keep);
    /// The month line of the month `start` falls in, appending one when there is none.
    std::size_t MonthLineFor(Time32 start);
    void SortRows();
    /// Appends a record to the store and its row at the end of RowOrder(), around the hooks.
    std::size_t AppendRow(const CallRecord& record);
    void AboutToReset() const;
    void Reset() const;
    void ShowTotals() const;

    Settings& m_settings;
    const TextSource* m_texts;
    std::string m_folder;
    const Clock& m_clock;
    CallFilter m_filter;
    FilterChoices m_choices;
    CallListHooks m_hooks;
    CallStore m_store;
    CallTotals m_totals;
    std::vector<std::int16_t> m_visible;
    std::vector<std::uint32_t> m_rows;
    std::string m_fileBuffer;  // one month file while it is read
    std::vector<std::string> m_skippedFiles;
    int m_sortColumn = -1;  // list column last sorted by; -1 none
    bool m_ascending = true;
};

}  // namespace ov
