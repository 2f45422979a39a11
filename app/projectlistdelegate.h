#pragma once
// Draws and edits the list view's items as the standard delegate does, and
// shows the whole text of an item in a tool tip where the fixed columns cut
// it: a description longer than its column holds, or text wider than the
// column is at the font in use.
#include <QStyledItemDelegate>

class ProjectListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // True when the item shows less than its whole text (index's tool tip
    // role, or its display text when it has none) in the room option gives.
    bool cutsText(const QStyleOptionViewItem& option, const QModelIndex& index, const QWidget* view) const;
};
