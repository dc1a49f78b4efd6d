#pragma once
// A list box of text lines kept in a model: one string per line, drawn by a list view with
// uniform line heights, so that a report of a hundred thousand lines costs no widget item per
// line. A long list's lines may instead be made on demand from where its rows are kept
// (LineSource), a block at a time as the view scrolls, so that they never all sit in memory.
// LineList offers the few QListWidget calls the station makes of its line lists.

#include <QAbstractListModel>
#include <QList>
#include <QListView>
#include <QString>
#include <QStringList>
#include <memory>

namespace pw {

// Rows whose lines are made when they are shown; each row gives the same number of lines.
class LineSource {
public:
    virtual ~LineSource() = default;
    // The lines of rows [first, first + count), in order; fewer when they cannot be read.
    virtual QStringList lines(int first, int count) const = 0;
};

class LineModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Adds the lines at the end, announced to views as one insertion.
    void append(const QStringList& lines);
    void clear();
    // Shows rows × per_row lines of source, then tail, in place of everything shown. head
    // holds the lines of the first rows when they were made already: those rows are not read
    // from the source to be shown.
    void show_rows(std::unique_ptr<LineSource> source, int rows, int per_row,
                   const QStringList& tail, const QStringList& head = {});
    int count() const { return sourced() + int(lines_.size()); }
    // The line at row; an empty text outside the list.
    QString line(int row) const;
    QStringList lines() const;

private:
    int sourced() const { return rows_ * per_row_; }
    // The line the view measures every line by, asked for row.
    QString width_sample(int row) const;

    std::unique_ptr<LineSource> source_;
    int rows_ = 0;
    int per_row_ = 0;
    QList<QString> lines_; // after the source's
    QStringList head_;     // the first of the source's lines, made before it was shown
    // The block of the source's lines read last.
    mutable int block_ = -1;
    mutable QStringList block_lines_;
};

class LineList : public QListView {
public:
    explicit LineList(QWidget* parent = nullptr);

    LineModel& model_lines() { return model_; }
    const LineModel& model_lines() const { return model_; }

    void addItem(const QString& line) { model_.append({line}); }
    void addItems(const QStringList& lines) { model_.append(lines); }
    void clear() { model_.clear(); }
    int count() const { return model_.count(); }
    QString text(int row) const { return model_.line(row); }
    QStringList texts() const { return model_.lines(); }

private:
    LineModel model_;
};

} // namespace pw
