#include "rowsizes.h"

#include <QAbstractItemView>

namespace pw {

namespace {

// A list shows a few dozen different lines at most; beyond that the kept sizes start afresh.
constexpr qsizetype kKept = 256;

} // namespace

QSize KeptRowSizes::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QVariant text = index.data(Qt::DisplayRole);
    // A line with more than its text (an icon, a font of its own) is measured every time.
    if (text.typeId() != QMetaType::QString || index.data(Qt::DecorationRole).isValid() ||
        index.data(Qt::FontRole).isValid() || index.data(Qt::SizeHintRole).isValid())
        return QStyledItemDelegate::sizeHint(option, index);
    if (option.font != font_ || sizes_.size() >= kKept) {
        sizes_.clear();
        font_ = option.font;
    }
    const QString key = QString::number(option.rect.width()) + QLatin1Char(' ') +
                        QString::number(option.features.toInt()) + QLatin1Char(' ') +
                        text.toString();
    auto it = sizes_.constFind(key);
    if (it == sizes_.cend())
        it = sizes_.insert(key, QStyledItemDelegate::sizeHint(option, index));
    return *it;
}

void keep_row_sizes(QAbstractItemView* list) {
    list->setItemDelegate(new KeptRowSizes(list));
}

} // namespace pw
