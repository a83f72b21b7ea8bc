#pragma once

#include "dialogs/ui/qx_clist_ctrl.h"

#include <vector>

namespace ov {

class CallList;
class CallListModel;
struct CallListHooks;
class UiResources;

/// The call list's window: the records of a `CallList` as rows drawn as the owner-drawn report
/// list draws them, with the kind icon of each record, the visible columns with their list
/// titles and widths, and a click on a column title sorting by it (again: the other way).
class OVListView final : public QXCListCtrl {
    Q_OBJECT
public:
    /// `list` and `resources` must outlive the view.
    OVListView(CallList& list, const UiResources& resources, QWidget* parent = nullptr);
    ~OVListView() override;

    /// The hooks that keep the rows and columns in step with the list.
    void FillHooks(CallListHooks& hooks);

    CallList& List() { return m_list; }
    CallListModel& Model() { return *m_model; }

    /// The export command: asks for a file and a format and writes the rows there. False when
    /// nothing was written (cancelled or failed; a failure is told to the user).
    bool RunExport();

    /// The list columns again from the list's visible columns, each with its width.
    void ApplyColumns();
    /// The width a column starts with: the column table's, widened for a font larger than
    /// the one it was made for and for its title.
    int ColumnWidth(int columnId) const;

    /// The average character width of the font the column table's widths were made for.
    static constexpr int kTableCharWidth = 5;

private:
    void OnHeaderClicked(int section);
    void ShowSortIndicator();

    CallList& m_list;
    const UiResources& m_resources;
    CallListModel* m_model;
    std::vector<int> m_widths;  // the column widths while the model resets
};

}  // namespace ov
