#pragma once
// A list's rows measured once per line. A word-wrapped line is otherwise laid out anew each
// time the list measures it, which it does several times at every press: the job list's lines
// were a good part of a press's drawing. The sizes are kept by text and width, for the font
// they were measured in; the list's style is taken to stay the one it was shown with.

#include <QFont>
#include <QHash>
#include <QStyledItemDelegate>

class QAbstractItemView;

namespace pw {

class KeptRowSizes : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    mutable QFont font_; // the font the kept sizes were measured in
    mutable QHash<QString, QSize> sizes_;
};

// Lets list keep its rows' sizes.
void keep_row_sizes(QAbstractItemView* list);

} // namespace pw
