#include "viewer/ui/call_list_model.h"

#include <QBitmap>
#include <QPixmap>

#include "viewer/call_list.h"

namespace ov {

CallListModel::CallListModel(CallList& list, std::vector<QIcon> kindIcons, QObject* parent)
    : QAbstractTableModel(parent), m_list(list), m_kindIcons(std::move(kindIcons)) {}

void CallListModel::FillHooks(CallListHooks& hooks) {
    hooks.rowsAboutToAppend = [this](std::size_t first, std::size_t count) {
        beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
    };
    hooks.rowsAppended = [this] { endInsertRows(); };
    hooks.rowChanged = [this](std::size_t row) {
        const int r = static_cast<int>(row);
        Q_EMIT dataChanged(index(r, 0), index(r, columnCount() - 1));
    };
    hooks.aboutToReset = [this] { beginResetModel(); };
    hooks.reset = [this] { endResetModel(); };
}

int CallListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_list.RowOrder().size());
}

int CallListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_list.VisibleColumns().size());
}

int CallListModel::ColumnId(int column) const {
    const auto& visible = m_list.VisibleColumns();
    return column >= 0 && static_cast<std::size_t>(column) < visible.size()
               ? visible[static_cast<std::size_t>(column)]
               : -1;
}

QVariant CallListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::DecorationRole && role != Qt::ToolTipRole) {
        return {};
    }
    const CallRow row = m_list.Row(m_list.RowOrder()[static_cast<std::size_t>(index.row())]);
    if (role == Qt::DecorationRole) {
        if (index.column() != 0 || row.kind < 0 ||
            static_cast<std::size_t>(row.kind) >= m_kindIcons.size()) {
            return {};
        }
        return m_kindIcons[static_cast<std::size_t>(row.kind)];
    }
    return QString::fromStdString(m_list.CellText(ColumnId(index.column()), &row));
}

QVariant CallListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    const int id = ColumnId(section);
    return id < 0 ? QVariant() : QString::fromStdString(m_list.CellText(id, nullptr));
}

std::vector<QIcon> SplitImageStrip(const QPixmap& strip, int size, const QColor& transparent) {
    std::vector<QIcon> icons;
    if (strip.isNull() || size <= 0) {
        return icons;
    }
    for (int x = 0; x + size <= strip.width(); x += size) {
        QPixmap image = strip.copy(x, 0, size, std::min(size, strip.height()));
        image.setMask(image.createMaskFromColor(transparent, Qt::MaskInColor));
        icons.emplace_back(image);
    }
    return icons;
}

}  // namespace ov
