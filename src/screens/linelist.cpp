#include "linelist.h"

#include <QApplication>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <array>
#include <cmath>

namespace pw {

namespace {

// Rows read from a source at once for the view: a few screens, one read per scroll of that
// much.
constexpr int kBlockRows = 64;
// What the delegate measures a line by: the view measures one line for all of them.
constexpr int kWidthSampleRole = Qt::UserRole + 1;
// Rows read at once when every line is wanted (printing).
constexpr int kAllRows = 1024;

// Draws a line as plain text on the list's own font and colours, the selected one on the
// highlight. The style's item drawing (decoration, check box, eliding, focus frame) has
// nothing to draw on a line of text, and costs several times more per line painted.
class PlainLines : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QPalette::ColorGroup group =
            !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
            : (option.state & QStyle::State_Active) ? QPalette::Active
                                                    : QPalette::Inactive;
        const bool selected = option.state & QStyle::State_Selected;
        if (selected)
            painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
        painter->setPen(
            option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        // At its baseline, centred as a one-line layout is: drawing into a rectangle lays the
        // text out into lines first, a third of the cost of a line. The view clips it.
        const QFontMetricsF metrics(option.font);
        const QRectF r = QRectF(option.rect).adjusted(kMargin, 0, -kMargin, 0);
        const qreal top = std::round((r.height() - metrics.ascent() - metrics.descent()) / 2);
        painter->drawText(QPointF(r.left(), r.top() + top + metrics.ascent()),
                          index.data().toString());
    }
    // The style's height for a line of the font, asked once per font, and the text's width.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (height_ < 0 || !(font_ == option.font)) {
            QStyleOptionViewItem line = option;
            // The first line stands for all: it is at hand, where the one asked about may not be.
            initStyleOption(&line, index.siblingAtRow(0));
            line.text = QStringLiteral("X");
            const QWidget* view = option.widget;
            const QStyle* style = view ? view->style() : QApplication::style();
            height_ = style->sizeFromContents(QStyle::CT_ItemViewItem, &line, {}, view).height();
            font_ = option.font;
        }
        return {option.fontMetrics.horizontalAdvance(index.data(kWidthSampleRole).toString()) +
                    2 * kMargin,
                height_};
    }

private:
    static constexpr int kMargin = 3; // as the style sets a line's text off the edge
    mutable QFont font_;
    mutable int height_ = -1;
};

} // namespace

int LineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant LineModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == kWidthSampleRole)
        return width_sample(index.row());
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return line(index.row());
}

QString LineModel::width_sample(int row) const {
    // The view gives every line one width, which its scroll bar reaches to: that of the longest
    // line at hand, so that no line is cut off out of reach. Lines not read yet are not read
    // to be measured, unless there are none at hand.
    const QString* longest = nullptr;
    for (const QStringList* lines :
         std::array<const QStringList*, 3>{&head_, &block_lines_, &lines_})
        for (const QString& l : *lines)
            if (!longest || l.size() > longest->size())
                longest = &l;
    return longest ? *longest : line(row);
}

QString LineModel::line(int row) const {
    if (row < 0 || row >= sourced())
        return lines_.value(row - sourced());
    if (row < head_.size())
        return head_[row];
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
    for (int first = 0; first < rows_; first += kAllRows) {
        const QStringList block = source_->lines(first, std::min(kAllRows, rows_ - first));
        all += block;
        // A block that could not be read whole still takes its place.
        for (qsizetype i = block.size();
             i < qsizetype(std::min(kAllRows, rows_ - first)) * per_row_; ++i)
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
    head_.clear();
    lines_.clear();
    lines_.squeeze(); // a long report's lines go back to the system
    endResetModel();
}

void LineModel::show_rows(std::unique_ptr<LineSource> source, int rows, int per_row,
                          const QStringList& tail, const QStringList& head) {
    beginResetModel();
    source_ = std::move(source);
    rows_ = source_ && per_row > 0 ? rows : 0;
    per_row_ = rows_ > 0 ? per_row : 0;
    block_ = -1;
    block_lines_.clear();
    head_ = head.mid(0, sourced());
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
    setItemDelegate(new PlainLines(this));
}

} // namespace pw
