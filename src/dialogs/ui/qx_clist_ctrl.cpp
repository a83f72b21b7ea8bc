#include "dialogs/ui/qx_clist_ctrl.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace ov {

QXCListCtrl::QXCListCtrl(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setTextElideMode(Qt::ElideNone);  // the cutting is ours
}

void QXCListCtrl::SetShowSelectionAlways(bool always) {
    m_showSelectionAlways = always;
    viewport()->update();
}

QString QXCListCtrl::FitText(const QString& text, const QFontMetrics& metrics, int width) const {
    if (metrics.horizontalAdvance(text) <= width) {
        return text;
    }
    const QString dots = QStringLiteral("...");
    QString cut = text;
    while (!cut.isEmpty()) {
        cut.chop(1);
        // Never leave half of a character that takes two units.
        if (!cut.isEmpty() && cut.back().isHighSurrogate()) {
            cut.chop(1);
        }
        if (metrics.horizontalAdvance(cut + dots) <= width) {
            break;
        }
    }
    return cut + dots;
}

void QXCListCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    const QRect row(0, option.rect.top(), viewport()->width(), option.rect.height());
    const bool selected = selectionModel() != nullptr &&
                          selectionModel()->isRowSelected(index.row(), index.parent()) &&
                          (hasFocus() || m_showSelectionAlways);
    const QPalette& colours = palette();
    painter->fillRect(row, colours.color(selected ? QPalette::Highlight : QPalette::Base));
    const QColor textColour = colours.color(selected ? QPalette::HighlightedText : QPalette::Text);

    const QFontMetrics metrics(option.font);
    const int columns = model()->columnCount(index.parent());
    for (int column = 0; column < columns; ++column) {
        if (header()->isSectionHidden(column)) {
            continue;
        }
        const QModelIndex cell = model()->index(index.row(), column, index.parent());
        QRect area(header()->sectionViewportPosition(column), row.top(),
                   header()->sectionSize(column), row.height());
        if (column == 0) {
            const auto icon = cell.data(Qt::DecorationRole).value<QIcon>();
            if (!icon.isNull()) {
                const QSize size = iconSize().isValid() ? iconSize() : QSize(16, 16);
                const QRect place(area.left(), area.top() + (area.height() - size.height()) / 2,
                                  size.width(), size.height());
                icon.paint(painter, place, Qt::AlignCenter,
                           selected ? QIcon::Selected : QIcon::Normal);
                area.setLeft(place.right() + 1);
            }
        }
        const int margin = column == 0 ? kFirstMargin : kMargin;
        const QRect textArea = area.adjusted(margin, 0, -margin, 0);
        if (textArea.width() <= 0) {
            continue;
        }
        const QString text =
            FitText(cell.data(Qt::DisplayRole).toString(), metrics, textArea.width());
        painter->setPen(textColour);
        painter->drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text);
    }

    if (hasFocus() && currentIndex().isValid() && currentIndex().row() == index.row() &&
        currentIndex().parent() == index.parent()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = row;
        focus.backgroundColor = colours.color(selected ? QPalette::Highlight : QPalette::Base);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, this);
    }
}

void QXCListCtrl::focusInEvent(QFocusEvent* event) {
    QTreeView::focusInEvent(event);
    RepaintSelection();
}

void QXCListCtrl::focusOutEvent(QFocusEvent* event) {
    QTreeView::focusOutEvent(event);
    RepaintSelection();
}

void QXCListCtrl::RepaintSelection() {
    // The highlight depends on the focus: the focused row and the selected rows change look.
    viewport()->repaint();
}

}  // namespace ov
