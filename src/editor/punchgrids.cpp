#include "punchgrids.h"

#include "reports/reportlines.h"
#include "station/fields.h"

#include <QBrush>
#include <QColor>

namespace pw {

namespace {

const char* const kPunchColumns[] = {"tckindate",  "tcktimein",   "tckoutdate",
                                     "tcktimeout", "tckreghours", "tckstatus"};

} // namespace

QString value_text(const QVariant& v) {
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::Double)
        return number_text(v.toDouble());
    return v.toString();
}

CaptionedGrid::CaptionedGrid(QStringList captions, QObject* parent)
    : QAbstractTableModel(parent)
    , captions_(std::move(captions)) {}

int CaptionedGrid::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(row_total());
}

int CaptionedGrid::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(captions_.size());
}

QVariant CaptionedGrid::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= captions_.size())
        return {};
    return captions_[section];
}

EmployeeGrid::EmployeeGrid(QObject* parent)
    : CaptionedGrid({QStringLiteral("Emp ID#"), QStringLiteral("Name")}, parent) {}

void EmployeeGrid::set_rows(QList<Row> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

QVariant EmployeeGrid::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size() || role != Qt::DisplayRole)
        return {};
    const Row& r = rows_[index.row()];
    return index.column() == 0 ? r.id : r.name;
}

PunchGrid::PunchGrid(QObject* parent)
    : CaptionedGrid({QStringLiteral("In-date"), QStringLiteral("Time IN"),
                     QStringLiteral("Out-Date"), QStringLiteral("Time OUT"),
                     QStringLiteral("Hours"), QStringLiteral("tckstatus")},
                    parent) {}

void PunchGrid::set_rows(QList<QSqlRecord> rows, int shiftlimit) {
    beginResetModel();
    rows_ = std::move(rows);
    shiftlimit_ = shiftlimit;
    endResetModel();
}

void PunchGrid::update_row(int r, const QVariantMap& values) {
    if (r < 0 || r >= rows_.size())
        return;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        rows_[r].setValue(it.key(), it.value());
    emit dataChanged(index(r, 0), index(r, columnCount() - 1));
}

QString PunchGrid::cell(int r, int column) const {
    return value_text(rows_[r].value(QString::fromLatin1(kPunchColumns[column])));
}

QStringList PunchGrid::styles(int r) const {
    QStringList out;
    const double hours = val(cell(r, 4));
    const QString status = cell(r, kStatusColumn);
    if (status == QLatin1String("3") || hours == 0 || hours > shiftlimit_)
        out << kForeRed;
    if (status == QLatin1String("4"))
        out << kBackGreen;
    return out;
}

QVariant PunchGrid::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const int r = index.row();
    if (role == Qt::DisplayRole)
        return cell(r, index.column());
    if (index.column() >= kStatusColumn)
        return {};
    const QStringList s = styles(r);
    switch (role) {
    case kStyleRole:
        return s;
    case Qt::ForegroundRole:
        if (s.contains(kForeRed))
            return QBrush(QColor(255, 0, 0));
        return {};
    case Qt::BackgroundRole:
        // backgreen is applied after forered, so its background wins.
        if (s.contains(kBackGreen))
            return QBrush(QColor(0, 255, 0));
        if (s.contains(kForeRed))
            return QBrush(QColor(255, 255, 255));
        return {};
    default:
        return {};
    }
}

} // namespace pw
