#pragma once
// A list box of text lines kept in a model: one string per line, drawn by a list view with
// uniform line heights, so that a report of a hundred thousand lines costs no widget item per
// line. LineList offers the few QListWidget calls the station makes of its line lists.

#include <QAbstractListModel>
#include <QList>
#include <QListView>
#include <QString>
#include <QStringList>

namespace pw {

class LineModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Adds the lines at the end, announced to views as one insertion.
    void append(const QStringList& lines);
    void clear();
    int count() const { return int(lines_.size()); }
    // The line at row; an empty text outside the list.
    QString line(int row) const { return lines_.value(row); }
    const QList<QString>& lines() const { return lines_; }

private:
    QList<QString> lines_;
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
