#include "viewer/ui/ov_list_view.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QStyle>

#include <cmath>

#include "dialogs/ui/ui_resources.h"
#include "viewer/call_list.h"
#include "viewer/ui/call_export_dialog.h"
#include "viewer/ui/call_list_model.h"
#include "viewer/ui/viewer_ui_ids.h"

namespace ov {

OVListView::OVListView(CallList& list, const UiResources& resources, QWidget* parent)
    : QXCListCtrl(parent), m_list(list), m_resources(resources) {
    setObjectName(QStringLiteral("OVListView"));
    m_model = new CallListModel(
        list, SplitImageStrip(resources.Bitmap(kKindBitmap), kKindImageSize, Qt::magenta), this);
    setModel(m_model);
    setIconSize(QSize(kKindImageSize, kKindImageSize));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setFrameShape(QFrame::Box);
    // Sorting is the list's own (its toggle, and the rows it keeps in order); the header only
    // reports the click and shows the state.
    setSortingEnabled(false);
    QHeaderView* titles = header();
    titles->setSectionsClickable(true);
    titles->setSortIndicatorShown(true);
    titles->setSectionsMovable(false);
    titles->setStretchLastSection(false);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    connect(titles, &QHeaderView::sectionClicked, this, &OVListView::OnHeaderClicked);
    // A reset (a reload, a sort) gives the header fresh sections: the widths the user gave the
    // columns are kept across it.
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_widths.clear();
        for (int i = 0; i < header()->count(); ++i) {
            m_widths.push_back(header()->sectionSize(i));
        }
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (static_cast<int>(m_widths.size()) == header()->count()) {
            for (int i = 0; i < header()->count(); ++i) {
                header()->resizeSection(i, m_widths[static_cast<std::size_t>(i)]);
            }
        }
        ShowSortIndicator();
    });
    ApplyColumns();
}

OVListView::~OVListView() = default;

void OVListView::FillHooks(CallListHooks& hooks) {
    m_model->FillHooks(hooks);
    hooks.columnsRebuilt = [this](bool /*keepFirst*/) { ApplyColumns(); };
}

void OVListView::ApplyColumns() {
    m_widths.clear();  // the widths of other columns are no use to these
    m_model->ColumnsChanged();
    const auto& visible = m_list.VisibleColumns();
    for (std::size_t i = 0; i < visible.size(); ++i) {
        header()->resizeSection(static_cast<int>(i), ColumnWidth(visible[i]));
    }
    ShowSortIndicator();
}

int OVListView::ColumnWidth(int columnId) const {
    if (!IsColumnId(columnId)) {
        return header()->defaultSectionSize();
    }
    // The table's widths suit the small system font they were chosen for; a larger font
    // widens them in proportion, so that a date still fits its column.
    const double scale =
        std::max(1.0, fontMetrics().averageCharWidth() / static_cast<double>(kTableCharWidth));
    const int width = static_cast<int>(std::lround(kColumnTable[columnId].width * scale));
    // The title and the sort mark fit too.
    const QString title = QString::fromStdString(m_list.CellText(columnId, nullptr));
    const int titleWidth = header()->fontMetrics().horizontalAdvance(title) + 2 * kMargin +
                           style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, this);
    return std::max(width, titleWidth);
}

void OVListView::OnHeaderClicked(int section) {
    m_list.SortByColumn(section);
    ShowSortIndicator();
}

void OVListView::ShowSortIndicator() {
    const int column = m_list.SortColumn();
    if (column < 0 || column >= m_model->columnCount()) {
        header()->setSortIndicator(-1, Qt::AscendingOrder);
        return;
    }
    header()->setSortIndicator(column,
                               m_list.SortAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
}

bool OVListView::RunExport() {
    return RunCallExport(m_list, m_resources, this);
}

}  // namespace ov
