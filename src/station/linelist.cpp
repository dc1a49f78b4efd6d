#include "linelist.h"

namespace pw {

int LineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant LineModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return lines_.at(index.row());
}

void LineModel::append(const QStringList& lines) {
    if (lines.isEmpty())
        return;
    beginInsertRows({}, count(), count() + int(lines.size()) - 1);
    lines_.append(lines);
    endInsertRows();
}

void LineModel::clear() {
    if (lines_.isEmpty())
        return;
    beginResetModel();
    lines_.clear();
    lines_.squeeze(); // a long report's lines go back to the system
    endResetModel();
}

LineList::LineList(QWidget* parent)
    : QListView(parent) {
    setModel(&model_);
    // Every line is one line of text: the view need not measure each.
    setUniformItemSizes(true);
    setEditTriggers(NoEditTriggers);
}

} // namespace pw
