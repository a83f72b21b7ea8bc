#pragma once

#include <QScrollArea>

#include <array>

#include "viewer/call_filter.h"

class QComboBox;
class QLineEdit;

namespace ov {

class CallList;
struct CallListHooks;
struct CallTotals;
class UiResources;

/// The form view below the call list, from the pack's template: the five drop-down lists that
/// choose the records the list shows, and the nine summary fields of the shown records. A
/// form larger than its pane scrolls rather than being cut.
class OVDialogView final : public QScrollArea {
    Q_OBJECT
public:
    /// `list` and `resources` must outlive the view.
    OVDialogView(CallList& list, const UiResources& resources, QWidget* parent = nullptr);
    ~OVDialogView() override;

    /// Whether the template was there; without it the view is empty.
    bool Loaded() const { return m_form != nullptr; }

    /// The hooks by which the list shows its totals and new drop-down items here.
    void FillHooks(CallListHooks& hooks);

    /// Fills every still empty drop-down list from the filter's lists and selects the current
    /// selections.
    void FillLists();
    /// The summary fields from `totals`.
    void ShowTotals(const CallTotals& totals);

    QComboBox* List(FilterListId id) const { return m_lists[static_cast<std::size_t>(id)]; }

private:
    void OnSelected(FilterListId id, int index);
    void AppendChoice(FilterListId id);

    CallList& m_list;
    QWidget* m_form = nullptr;
    std::array<QComboBox*, kFilterListCount> m_lists{};
    bool m_filling = false;
};

}  // namespace ov
