#include "serveranswer.h"

#include <QDateTime>
#include <QLocale>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <charconv>
#include <cmath>
#include <limits>
#include <sqlite3.h>

Q_DECLARE_OPAQUE_POINTER(PGresult*)
Q_DECLARE_METATYPE(PGresult*)

namespace pw {

namespace {

// A number written as a server writes it, read whole; nullopt for anything else, such as the
// words the server writes for the special floating values.
template <typename T> std::optional<T> number_from(const char* text, int size) {
    T number{};
    const auto [end, error] = std::from_chars(text, text + size, number);
    if (error != std::errc() || end != text + size)
        return std::nullopt;
    if constexpr (std::is_floating_point_v<T>)
        if (!std::isfinite(number))
            return std::nullopt;
    return number;
}

constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25, kFloat4 = 700,
              kFloat8 = 701, kVarchar = 1043, kNumeric = 1700, kRegproc = 24, kOid = 26, kXid = 28,
              kCid = 29, kDate = 1082, kTime = 1083, kTimeTz = 1266, kTimestamp = 1114,
              kTimestampTz = 1184;

// The type the Qt driver gives a column of type oid: read_type's, a decimal's as a double, a
// catalog number's as an int, dates and times as Qt's, and any other's as text.
QMetaType column_type(Oid oid) {
    if (const std::optional<QMetaType> type = read_type(oid))
        return *type;
    switch (oid) {
    case kNumeric:
        return QMetaType::fromType<double>();
    case kRegproc:
    case kOid:
    case kXid:
    case kCid:
        return QMetaType::fromType<int>();
    case kDate:
        return QMetaType::fromType<QDate>();
    case kTime:
    case kTimeTz:
        return QMetaType::fromType<QTime>();
    case kTimestamp:
    case kTimestampTz:
        return QMetaType::fromType<QDateTime>();
    default:
        return QMetaType::fromType<QString>();
    }
}

// A value answer_value leaves to the driver, as the driver reads it.
QVariant other_value(const char* text, int size, Oid oid) {
    const QMetaType type = column_type(oid);
    if (type == QMetaType::fromType<double>()) {
        if (const auto n = number_from<double>(text, size))
            return *n;
        const QByteArrayView word(text, size);
        if (word == "NaN")
            return std::numeric_limits<double>::quiet_NaN();
        if (word == "Infinity")
            return std::numeric_limits<double>::infinity();
        if (word == "-Infinity")
            return -std::numeric_limits<double>::infinity();
        return {};
    }
    if (type == QMetaType::fromType<int>())
        return QByteArray(text, size).toInt();
    const QString written = QString::fromUtf8(text, size);
    if (type == QMetaType::fromType<QDate>())
        return QDate::fromString(written, Qt::ISODate);
    if (type == QMetaType::fromType<QTime>())
        return QTime::fromString(written, Qt::ISODate);
    if (type == QMetaType::fromType<QDateTime>()) // the server writes it in the session's zone
        return QDateTime::fromString(written, Qt::ISODate);
    return written;
}

// A value the driver sends as a null.
bool null_value(const QVariant& v) {
    if (v.isNull())
        return true;
    switch (v.typeId()) {
    case QMetaType::QString:
        return static_cast<const QString*>(v.constData())->isNull();
    case QMetaType::QByteArray:
        return static_cast<const QByteArray*>(v.constData())->isNull();
    case QMetaType::QDate:
        return static_cast<const QDate*>(v.constData())->isNull();
    case QMetaType::QTime:
        return static_cast<const QTime*>(v.constData())->isNull();
    case QMetaType::QDateTime:
        return static_cast<const QDateTime*>(v.constData())->isNull();
    default:
        return false;
    }
}

// A value as the text the server reads it from.
QByteArray value_text(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return QByteArray::number(v.toLongLong());
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return QByteArray::number(v.toULongLong());
    case QMetaType::Float:
    case QMetaType::Double: {
        const double d = v.toDouble();
        if (std::isnan(d))
            return QByteArrayLiteral("NaN");
        if (std::isinf(d))
            return d > 0 ? QByteArrayLiteral("Infinity") : QByteArrayLiteral("-Infinity");
        // The driver wrote a number into the statement, which the server then took for a
        // column of whole numbers too: a whole number is sent as one, never as 1e+06.
        constexpr double kExact = 9007199254740992.0; // 2^53
        if (d == std::trunc(d) && std::fabs(d) < kExact)
            return QByteArray::number(qlonglong(d));
        return QByteArray::number(d, 'g', QLocale::FloatingPointShortest);
    }
    case QMetaType::QByteArray:
        return QByteArrayLiteral("\\x") + v.toByteArray().toHex();
    default:
        return v.toString().toUtf8();
    }
}

} // namespace

std::unique_ptr<const AnswerFunctions> answer_reader() {
    auto functions = std::make_unique<const AnswerFunctions>(LoadedLibpq());
    return functions->usable() ? std::move(functions) : nullptr;
}

std::vector<Oid> answer_types(const AnswerFunctions& pq, const PGresult* answer, int columns) {
    std::vector<Oid> types(std::size_t(std::max(columns, 0)));
    for (int i = 0; i < columns; ++i)
        types[std::size_t(i)] = pq.ftype(answer, i);
    return types;
}

std::optional<QMetaType> read_type(Oid oid) {
    switch (oid) {
    case kBool:
        return QMetaType::fromType<bool>();
    case kInt8:
        return QMetaType::fromType<qlonglong>();
    case kInt2:
    case kInt4:
        return QMetaType::fromType<int>();
    case kText:
    case kVarchar:
        return QMetaType::fromType<QString>();
    case kFloat4:
    case kFloat8:
        return QMetaType::fromType<double>();
    default:
        return std::nullopt;
    }
}

std::optional<QVariant> answer_value(const AnswerFunctions& pq, const PGresult* answer, int row,
                                     int column, Oid oid) {
    const std::optional<QMetaType> type = read_type(oid);
    if (!type)
        return std::nullopt;
    if (pq.getisnull(answer, row, column))
        return QVariant(*type, nullptr);
    const char* text = pq.getvalue(answer, row, column);
    const int size = pq.getlength(answer, row, column);
    std::optional<QVariant> value;
    switch (oid) {
    case kBool:
        return QVariant(text[0] == 't');
    case kInt8:
        // The driver gives a whole number of 0 and up as unsigned.
        if (text[0] == '-') {
            if (const auto n = number_from<qlonglong>(text, size))
                value = QVariant(*n);
        } else if (const auto n = number_from<qulonglong>(text, size)) {
            value = QVariant(*n);
        }
        return value;
    case kInt2:
    case kInt4:
        if (const auto n = number_from<int>(text, size))
            value = QVariant(*n);
        return value;
    case kText:
    case kVarchar:
        return QVariant(QString::fromUtf8(text, size));
    default:
        if (const auto n = number_from<double>(text, size))
            value = QVariant(*n);
        return value;
    }
}

std::optional<QString> answer_text(const AnswerFunctions& pq, const PGresult* answer, int row,
                                   int column, Oid oid) {
    if (oid != kText && oid != kVarchar)
        return std::nullopt;
    if (pq.getisnull(answer, row, column))
        return QString();
    return QString::fromUtf8(pq.getvalue(answer, row, column), pq.getlength(answer, row, column));
}

bool bind_answer_value(const AnswerFunctions& pq, const PGresult* answer, int row, int column,
                       Oid oid, sqlite3_stmt* s, int at) {
    if (!read_type(oid))
        return false;
    if (pq.getisnull(answer, row, column))
        return sqlite3_bind_null(s, at) == SQLITE_OK;
    const char* text = pq.getvalue(answer, row, column);
    const int size = pq.getlength(answer, row, column);
    int rc = SQLITE_MISUSE;
    switch (oid) {
    case kBool:
        rc = sqlite3_bind_int(s, at, text[0] == 't' ? 1 : 0);
        break;
    case kInt8:
        // Bound as a file binds the driver's values: one of 0 and up as its digits.
        if (text[0] == '-') {
            if (const auto n = number_from<qlonglong>(text, size))
                rc = sqlite3_bind_int64(s, at, *n);
        } else if (number_from<qulonglong>(text, size)) {
            rc = sqlite3_bind_text(s, at, text, size, SQLITE_STATIC);
        }
        break;
    case kInt2:
    case kInt4:
        if (const auto n = number_from<int>(text, size))
            rc = sqlite3_bind_int(s, at, *n);
        break;
    case kText:
    case kVarchar:
        rc = sqlite3_bind_text(s, at, text, size, SQLITE_STATIC);
        break;
    default:
        if (const auto n = number_from<double>(text, size))
            rc = sqlite3_bind_double(s, at, *n);
        break;
    }
    return rc == SQLITE_OK;
}

std::optional<double> answer_number(const AnswerFunctions& pq, const PGresult* answer, int row,
                                    int column, Oid oid) {
    const std::optional<QMetaType> type = read_type(oid);
    if (!type || !(*type == QMetaType::fromType<qlonglong>() ||
                   *type == QMetaType::fromType<int>() || *type == QMetaType::fromType<double>()))
        return std::nullopt;
    if (pq.getisnull(answer, row, column))
        return 0.0;
    return number_from<double>(pq.getvalue(answer, row, column), pq.getlength(answer, row, column));
}

ServerCalls::ServerCalls(const LoadedLibpq& libpq)
    : AnswerFunctions(libpq)
    , prepare(libpq.function(PQprepare, "PQprepare"))
    , exec_prepared(libpq.function(PQexecPrepared, "PQexecPrepared"))
    , exec(libpq.function(PQexec, "PQexec"))
    , status(libpq.function(PQresultStatus, "PQresultStatus"))
    , error_field(libpq.function(PQresultErrorField, "PQresultErrorField"))
    , error_message(libpq.function(PQerrorMessage, "PQerrorMessage"))
    , clear(libpq.function(PQclear, "PQclear"))
    , ntuples(libpq.function(PQntuples, "PQntuples"))
    , nfields(libpq.function(PQnfields, "PQnfields"))
    , fname(libpq.function(PQfname, "PQfname"))
    , cmd_tuples(libpq.function(PQcmdTuples, "PQcmdTuples"))
    , connection_status(libpq.function(PQstatus, "PQstatus")) {}

bool ServerCalls::usable() const {
    return AnswerFunctions::usable() && prepare && exec_prepared && exec && status && error_field &&
           error_message && clear && ntuples && nfields && fname && cmd_tuples && connection_status;
}

std::shared_ptr<const ServerCalls> server_calls() {
    auto calls = std::make_shared<const ServerCalls>(LoadedLibpq());
    return calls->usable() ? calls : nullptr;
}

QByteArray numbered_placeholders(const QString& sql) {
    QString out;
    out.reserve(sql.size() + 32);
    QChar quote;
    int number = 0;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar(); // a doubled quote closes and opens again
            out += c;
        } else if (c == u'\'' || c == u'"') {
            quote = c;
            out += c;
        } else if (c == u'?') {
            out += u'$' + QString::number(++number);
        } else {
            out += c;
        }
    }
    return out.toUtf8();
}

ServerValues::ServerValues(const QVariantList& values) {
    // Reserved whole, so that no text moves once its place is taken.
    texts_.reserve(std::size_t(values.size()));
    pointers_.reserve(std::size_t(values.size()));
    for (const QVariant& v : values) {
        const bool null = null_value(v);
        texts_.push_back(null ? QByteArray() : value_text(v));
        pointers_.push_back(null ? nullptr : texts_.back().constData());
    }
}

bool succeeded(const ServerCalls& pq, const PGresult* answer) {
    if (!answer)
        return false;
    const ExecStatusType status = pq.status(answer);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

QSqlError answer_error(const ServerCalls& pq, const PGconn* conn, const PGresult* answer) {
    QString text = QString::fromUtf8(pq.error_message(conn));
    QString state;
    if (answer)
        state = QString::fromLatin1(pq.error_field(answer, PG_DIAG_SQLSTATE));
    // No answer at all (the statement could not even be sent), or libpq's own failure on a
    // connection now lost, as one the server has just ended: that is the connection failing
    // (08006), whatever message came with it.
    if (!answer || (state.isEmpty() && pq.connection_status(conn) != CONNECTION_OK))
        state = QStringLiteral("08006");
    text += QStringLiteral("(%1)").arg(state);
    return QSqlError(QStringLiteral("QPSQL: Unable to create query"), text,
                     QSqlError::StatementError, state);
}

ServerAnswer::ServerAnswer(const QSqlDriver* driver, std::shared_ptr<const ServerCalls> pq,
                           PGresult* answer, const QString& sql)
    : QSqlResult(driver)
    , pq_(std::move(pq))
    , answer_(answer) {
    setQuery(sql);
    // The whole answer is here: its rows can be read in any order.
    setForwardOnly(false);
    const bool rows = pq_->status(answer_) == PGRES_TUPLES_OK;
    setSelect(rows);
    setActive(true);
    setAt(QSql::BeforeFirstRow);
    if (rows) {
        rows_ = pq_->ntuples(answer_);
        types_ = answer_types(*pq_, answer_, pq_->nfields(answer_));
    }
}

ServerAnswer::~ServerAnswer() {
    pq_->clear(answer_);
}

QVariant ServerAnswer::handle() const {
    return QVariant::fromValue(answer_);
}

bool ServerAnswer::holds(int i) const {
    return i >= 0 && std::size_t(i) < types_.size() && at() >= 0 && at() < rows_;
}

QVariant ServerAnswer::data(int i) {
    if (!holds(i))
        return {};
    const int row = at();
    const Oid oid = types_[std::size_t(i)];
    if (std::optional<QVariant> v = answer_value(*pq_, answer_, row, i, oid))
        return std::move(*v);
    if (pq_->getisnull(answer_, row, i))
        return QVariant(column_type(oid), nullptr);
    return other_value(pq_->getvalue(answer_, row, i), pq_->getlength(answer_, row, i), oid);
}

bool ServerAnswer::isNull(int i) {
    return !holds(i) || pq_->getisnull(answer_, at(), i);
}

bool ServerAnswer::reset(const QString&) {
    return false; // it answers one statement that ran already
}

bool ServerAnswer::fetch(int i) {
    if (i < 0 || i >= rows_)
        return false;
    setAt(i);
    return true;
}

bool ServerAnswer::fetchFirst() {
    return fetch(0);
}

bool ServerAnswer::fetchLast() {
    return fetch(rows_ - 1);
}

int ServerAnswer::size() {
    return isSelect() ? rows_ : -1;
}

int ServerAnswer::numRowsAffected() {
    return QByteArray(pq_->cmd_tuples(answer_)).toInt();
}

QSqlRecord ServerAnswer::record() const {
    QSqlRecord record;
    for (std::size_t i = 0; i < types_.size(); ++i)
        record.append(
            QSqlField(QString::fromUtf8(pq_->fname(answer_, int(i))), column_type(types_[i])));
    return record;
}

} // namespace pw
