#pragma once

#include <QTreeView>

class QFontMetrics;

namespace ov {

/// A report list that draws its rows itself: each row across its full width, selected rows
/// in the highlight colours while the list has the focus (or always shows its selection),
/// the row's icon, each cell's text with a margin of 2 pixels in the first column and 6 in
/// the others, cut with "..." when it does not fit, and a focus rectangle around the
/// current row.
class QXCListCtrl : public QTreeView {
    Q_OBJECT
public:
    static constexpr int kFirstMargin = 2;
    static constexpr int kMargin = 6;

    explicit QXCListCtrl(QWidget* parent = nullptr);

    /// Whether selected rows are highlighted also while the list does not have the focus.
    bool ShowSelectionAlways() const { return m_showSelectionAlways; }
    void SetShowSelectionAlways(bool always);

    /// `text` as it fits in `width` pixels: whole when it fits, else cut at the end one
    /// character at a time until it fits with "..." after it. A list that cuts its texts in
    /// another way replaces this.
    virtual QString FitText(const QString& text, const QFontMetrics& metrics, int width) const;

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void RepaintSelection();

    bool m_showSelectionAlways = false;
};

}  // namespace ov
