#include "linelist.h"

#include <algorithm>

namespace pw {

namespace {

// Rows read from a source at once: a few screens, one read per scroll of that much.
constexpr int kBlockRows = 256;

} // namespace

int LineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant LineModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return line(index.row());
}

QString LineModel::line(int row) const {
    if (row < 0 || row >= sourced())
        return lines_.value(row - sourced());
    const int block = row / per_row_ / kBlockRows;
    if (block != block_) {
        const int first = block * kBlockRows;
        block_lines_ = source_->lines(first, std::min(kBlockRows, rows_ - first));
        block_ = block;
    }
    return block_lines_.value(row - block * kBlockRows * per_row_);
}

QStringList LineModel::lines() const {
    QStringList all;
    for (int first = 0; first < rows_; first += kBlockRows) {
        const QStringList block = source_->lines(first, std::min(kBlockRows, rows_ - first));
        all += block;
        // A block that could not be read whole still takes its place.
        for (qsizetype i = block.size();
             i < qsizetype(std::min(kBlockRows, rows_ - first)) * per_row_; ++i)
            all << QString();
    }
    return all + lines_;
}

void LineModel::append(const QStringList& lines) {
    if (lines.isEmpty())
        return;
    beginInsertRows({}, count(), count() + int(lines.size()) - 1);
    lines_.append(lines);
    endInsertRows();
}

void LineModel::clear() {
    if (count() == 0)
        return;
    beginResetModel();
    source_.reset();
    rows_ = per_row_ = 0;
    block_ = -1;
    block_lines_.clear();
    lines_.clear();
    lines_.squeeze(); // a long report's lines go back to the system
    endResetModel();
}

void LineModel::show_rows(std::unique_ptr<LineSource> source, int rows, int per_row,
                          const QStringList& tail) {
    beginResetModel();
    source_ = std::move(source);
    rows_ = source_ && per_row > 0 ? rows : 0;
    per_row_ = rows_ > 0 ? per_row : 0;
    block_ = -1;
    block_lines_.clear();
    lines_ = tail;
    lines_.squeeze();
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
