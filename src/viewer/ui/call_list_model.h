#pragma once

#include <QAbstractTableModel>
#include <QIcon>

#include <vector>

namespace ov {

class CallList;
struct CallListHooks;

/// The call list as a Qt table: one row per record in the list's row order, one column per
/// visible column, the cell texts of the list and the kind icon in the first column. Nothing
/// is copied: every cell is read from the list when the view asks for it, so a window over a
/// million records opens as fast as they load.
class CallListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    /// `list` must outlive the model. `kindIcons` holds one icon per record kind.
    CallListModel(CallList& list, std::vector<QIcon> kindIcons, QObject* parent = nullptr);

    /// The row and column hooks of the list that keep the model in step; the caller adds its
    /// own (totals, drop-down lists) and hands them to the list.
    void FillHooks(CallListHooks& hooks);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    /// The columns changed (their number or ids): the view reads everything again.
    void ColumnsChanged() {
        beginResetModel();
        endResetModel();
    }

    /// The column id of list column `column`; -1 outside the visible columns.
    int ColumnId(int column) const;

private:
    CallList& m_list;
    std::vector<QIcon> m_kindIcons;
};

/// One icon per image of a strip of square images (`size` pixels wide each), with `transparent`
/// made transparent.
std::vector<QIcon> SplitImageStrip(const QPixmap& strip, int size, const QColor& transparent);

}  // namespace ov
