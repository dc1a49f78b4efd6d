#pragma once
// The punch editor's two lists as table models: the employees with a listed punch and the
// chosen employee's punches. Each is filled from a read that has already finished and closed
// its database, so another station can punch in and out while the lists are on screen.
//
// Rules: the punch list paints columns 0 to 4 of a row "forered" (red text on white) when the
// punch is bad, has 0 hours or more hours than the shift limit, and "backgreen" (green
// background) when it is approved; both can apply. Column 5 holds the status for that and is
// kept hidden by the view.

#include <QAbstractTableModel>
#include <QList>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace pw {

// The style names a cell carries (QStringList), for whoever wants them besides the colours.
inline constexpr int kStyleRole = Qt::UserRole + 1;

inline const QString kForeRed = QStringLiteral("forered");
inline const QString kBackGreen = QStringLiteral("backgreen");

// A stored value as the editor shows it: reals in their plain form (8.33, 20040524), NULL as
// empty text.
QString value_text(const QVariant& v);

// A flat table of rows under fixed column captions.
class CaptionedGrid : public QAbstractTableModel {
    Q_OBJECT

public:
    CaptionedGrid(QStringList captions, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

protected:
    virtual qsizetype row_total() const = 0;

private:
    QStringList captions_;
};

// "Emp ID#" and "Name".
class EmployeeGrid : public CaptionedGrid {
    Q_OBJECT

public:
    struct Row {
        QString id; // tckempid as listed
        QString name;
    };

    explicit EmployeeGrid(QObject* parent = nullptr);

    void set_rows(QList<Row> rows);
    void clear() { set_rows({}); }
    const Row& row(int r) const { return rows_[r]; }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

protected:
    qsizetype row_total() const override { return rows_.size(); }

private:
    QList<Row> rows_;
};

// "In-date", "Time IN", "Out-Date", "Time OUT", "Hours" and the hidden "tckstatus".
class PunchGrid : public CaptionedGrid {
    Q_OBJECT

public:
    static constexpr int kStatusColumn = 5;

    explicit PunchGrid(QObject* parent = nullptr);

    // The punch rows as read (whole records) and the shift limit that the paint compares.
    void set_rows(QList<QSqlRecord> rows, int shiftlimit);
    void clear() { set_rows({}, shiftlimit_); }
    const QSqlRecord& record(int r) const { return rows_[r]; }
    // Changes fields of a row as a save wrote them; the paint follows.
    void update_row(int r, const QVariantMap& values);

    // The style names of row r by the painting rules.
    QStringList styles(int r) const;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

protected:
    qsizetype row_total() const override { return rows_.size(); }

private:
    QString cell(int r, int column) const;

    QList<QSqlRecord> rows_;
    int shiftlimit_ = 0;
};

} // namespace pw
