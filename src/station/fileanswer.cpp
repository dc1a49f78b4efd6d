#include "fileanswer.h"

#include <QSqlField>
#include <QSqlRecord>
#include <QStringEncoder>
#include <charconv>
#include <sqlite3.h>
#include <utility>

namespace pw {

bool FileValues::bind(sqlite3_stmt* s, const QVariantList& values) {
    if (!s || sqlite3_bind_parameter_count(s) != values.size())
        return false; // the driver says what is wrong
    sqlite3_reset(s);
    // Text as the driver binds it, given in the file's own encoding, which spares SQLite its
    // slower conversion. The driver binds the server driver's whole numbers of 0 and up as
    // text too. All of a row's texts go into one buffer first, which then stays as it is
    // until the next row, so that SQLite reads them where they are instead of copying each.
    texts_.resize(0);
    places_.clear();
    for (const QVariant& v : values) {
        Place place{texts_.size(), 0, v.typeId(), v.isNull()};
        if (place.type == QMetaType::QString) {
            const auto* text = static_cast<const QString*>(v.constData());
            place.null = place.null || text->isNull();
            if (!place.null) {
                // An encoder of its own: one that ended a text on half a surrogate pair would
                // carry it into the next.
                QStringEncoder utf8(QStringEncoder::Utf8);
                texts_.resize(place.start + utf8.requiredSpace(text->size()));
                texts_.truncate(utf8.appendToBuffer(texts_.data() + place.start, *text) -
                                texts_.constData());
            }
        } else if (place.type == QMetaType::ULongLong && !place.null) {
            texts_.resize(place.start + 20);
            texts_.truncate(std::to_chars(texts_.data() + place.start,
                                          texts_.data() + texts_.size(),
                                          *static_cast<const qulonglong*>(v.constData()))
                                .ptr -
                            texts_.constData());
        }
        place.size = texts_.size() - place.start;
        places_.push_back(place);
    }
    for (int i = 0; i < values.size(); ++i) {
        const Place& p = places_[std::size_t(i)];
        const void* data = values[i].constData();
        const int at = i + 1;
        int rc = SQLITE_OK;
        // The types as the Qt driver binds them, so that the rows stored are the same.
        if (p.null)
            rc = sqlite3_bind_null(s, at);
        else if (p.type == QMetaType::Int)
            rc = sqlite3_bind_int(s, at, *static_cast<const int*>(data));
        else if (p.type == QMetaType::Bool)
            rc = sqlite3_bind_int(s, at, *static_cast<const bool*>(data) ? 1 : 0);
        else if (p.type == QMetaType::Double)
            rc = sqlite3_bind_double(s, at, *static_cast<const double*>(data));
        else if (p.type == QMetaType::UInt)
            rc = sqlite3_bind_int64(s, at, *static_cast<const uint*>(data));
        else if (p.type == QMetaType::LongLong)
            rc = sqlite3_bind_int64(s, at, *static_cast<const qlonglong*>(data));
        else if (p.type == QMetaType::QString || p.type == QMetaType::ULongLong)
            rc = sqlite3_bind_text(s, at, texts_.constData() + p.start, int(p.size), SQLITE_STATIC);
        else
            return false; // everything else as the driver binds it
        if (rc != SQLITE_OK)
            return false;
    }
    return true;
}

QVariant file_value(sqlite3_stmt* s, int i) {
    switch (sqlite3_column_type(s, i)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(s, i));
    case SQLITE_FLOAT:
        return sqlite3_column_double(s, i);
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(s, i)),
                          sqlite3_column_bytes(s, i));
    default:
        // Read in the file's own encoding: Qt's conversion of the mostly ASCII text is several
        // times faster than SQLite's to UTF-16, which is how the driver reads it.
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, i)),
                                 sqlite3_column_bytes(s, i));
    }
}

std::optional<double> file_number(sqlite3_stmt* s, int i) {
    switch (sqlite3_column_type(s, i)) {
    case SQLITE_INTEGER:
        return double(sqlite3_column_int64(s, i));
    case SQLITE_FLOAT:
        return sqlite3_column_double(s, i);
    case SQLITE_NULL:
        return 0.0;
    default:
        return std::nullopt;
    }
}

std::optional<QString> file_text(sqlite3_stmt* s, int i) {
    switch (sqlite3_column_type(s, i)) {
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, i)),
                                 sqlite3_column_bytes(s, i));
    case SQLITE_NULL:
        return QString();
    default:
        return std::nullopt;
    }
}

QString file_column_name(sqlite3_stmt* s, int i) {
    QString name = QString::fromUtf8(sqlite3_column_name(s, i));
    name.remove(u'"');
    return name.mid(name.lastIndexOf(u'.') + 1);
}

QSqlError file_error(sqlite3* db, int code) {
    return QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(db)), QSqlError::StatementError,
                     QString::number(code));
}

void FileAnswers::let_go_all() {
    // let_go leaves the set alone; the answers stay, ended, until their queries go.
    for (FileAnswer* a : live_)
        a->let_go();
    live_.clear();
}

FileAnswer::FileAnswer(const QSqlDriver* driver, std::shared_ptr<FileAnswers> live, sqlite3_stmt* s,
                       int first, FileValues values, const QString& sql)
    : QSqlResult(driver)
    , live_(std::move(live))
    , stmt_(s)
    , values_(std::move(values))
    , first_row_(first == SQLITE_ROW)
    , changes_(sqlite3_changes(sqlite3_db_handle(s)))
    , columns_(sqlite3_column_count(s)) {
    live_->add(this);
    setQuery(sql);
    setForwardOnly(true);
    setSelect(columns_ > 0);
    setActive(true);
    setAt(QSql::BeforeFirstRow);
    if (!first_row_)
        sqlite3_reset(stmt_); // its read of the file ends here
}

FileAnswer::~FileAnswer() {
    live_->remove(this);
    let_go();
}

void FileAnswer::let_go() {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    first_row_ = false;
}

bool FileAnswer::holds(int i) const {
    return stmt_ && i >= 0 && i < columns_ && at() >= 0;
}

QVariant FileAnswer::data(int i) {
    return holds(i) ? file_value(stmt_, i) : QVariant();
}

bool FileAnswer::isNull(int i) {
    return !holds(i) || sqlite3_column_type(stmt_, i) == SQLITE_NULL;
}

bool FileAnswer::reset(const QString&) {
    return false; // it answers one statement that ran already
}

bool FileAnswer::fetch(int i) {
    if (!stmt_ || i != at() + 1)
        return false; // forward only, one row at a time
    if (std::exchange(first_row_, false)) {
        setAt(i);
        return true;
    }
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        setAt(i);
        return true;
    }
    if (rc != SQLITE_DONE)
        setLastError(file_error(sqlite3_db_handle(stmt_), rc));
    sqlite3_reset(stmt_);
    return false;
}

bool FileAnswer::fetchFirst() {
    return at() == QSql::BeforeFirstRow && fetch(0);
}

bool FileAnswer::fetchLast() {
    return false;
}

int FileAnswer::size() {
    return -1; // not known before the rows are read, as the driver says of SQLite
}

int FileAnswer::numRowsAffected() {
    return changes_;
}

QSqlRecord FileAnswer::record() const {
    QSqlRecord record;
    for (int i = 0; stmt_ && i < columns_; ++i)
        record.append(QSqlField(file_column_name(stmt_, i)));
    return record;
}

void FileAnswer::detachFromResultSet() {
    first_row_ = false;
    if (stmt_)
        sqlite3_reset(stmt_);
}

} // namespace pw
