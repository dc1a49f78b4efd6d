#include "db.h"

#include <QAtomicInteger>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>

namespace pw {

namespace {

constexpr auto kPrefix = "pw-db-";

QString next_connection_name() {
    static QAtomicInteger<quint64> counter;
    return QString::fromLatin1(kPrefix) + QString::number(counter.fetchAndAddRelaxed(1));
}

} // namespace

DbError::DbError(int code, const QString& description)
    : std::runtime_error(QStringLiteral("%1 - %2").arg(code).arg(description).toStdString())
    , code_(code)
    , description_(description) {}

int station_code(const QSqlError& error) {
    const int native = error.nativeErrorCode().toInt() & 0xff; // primary SQLite result code
    const QString text = error.databaseText();
    switch (native) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return 3045;
    case 10: // SQLITE_IOERR
    case 14: // SQLITE_CANTOPEN
    case 8:  // SQLITE_READONLY
        return 75;
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
        return 3049;
    case 19: // SQLITE_CONSTRAINT
        return 3022;
    case 20: // SQLITE_MISMATCH
        return 13;
    default:
        break;
    }
    if (text.contains(QLatin1String("no such table")))
        return 3024;
    if (text.contains(QLatin1String("no such column")) ||
        text.contains(QLatin1String("has no column named")))
        return 3018;
    if (text.contains(QLatin1String("database is locked")))
        return 3045;
    if (text.contains(QLatin1String("datatype mismatch")))
        return 13;
    if (error.type() == QSqlError::ConnectionError)
        return 75;
    return 3000 + native; // an engine error without a station meaning of its own
}

DbError to_db_error(const QSqlError& error) {
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.text();
    return DbError(station_code(error), text);
}

Db::Db(const QString& path, DbMode mode, int busy_timeout_ms)
    : path_(path)
    , name_(next_connection_name()) {
    if (!QFileInfo(path).isFile())
        throw DbError(53, QStringLiteral("Could not find file '%1'.").arg(path));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setQuery(mode == DbMode::ReadOnly ? QStringLiteral("mode=ro") : QStringLiteral("mode=rw"));
    db.setDatabaseName(url.toString(QUrl::FullyEncoded));
    db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busy_timeout_ms));
    if (!db.open()) {
        const DbError err = to_db_error(db.lastError());
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        throw err;
    }
}

Db::~Db() {
    {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(name_);
}

QSqlQuery Db::run(const QString& sql, const QVariantList& binds) {
    QSqlQuery q = prepare(sql);
    exec(q, binds);
    return q;
}

QSqlQuery Db::prepare(const QString& sql) {
    QSqlQuery q(QSqlDatabase::database(name_, false));
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw to_db_error(q.lastError());
    return q;
}

void exec(QSqlQuery& q, const QVariantList& binds) {
    for (int i = 0; i < binds.size(); ++i)
        q.bindValue(i, binds[i]);
    if (!q.exec())
        throw to_db_error(q.lastError());
}

QVariant Db::scalar(const QString& sql, const QVariantList& binds) {
    QSqlQuery q = run(sql, binds);
    return fetch(q) ? q.value(0) : QVariant();
}

void Db::begin() { run(QStringLiteral("BEGIN IMMEDIATE")); }
void Db::commit() { run(QStringLiteral("COMMIT")); }
void Db::rollback() { run(QStringLiteral("ROLLBACK")); }

Transaction::Transaction(Db& db) : db_(db) { db_.begin(); }

Transaction::~Transaction() {
    if (!done_) {
        try {
            db_.rollback();
        } catch (const DbError&) {
            // The engine rolls back on its own when the connection closes.
        }
    }
}

void Transaction::commit() {
    db_.commit();
    done_ = true;
}

bool fetch(QSqlQuery& q) {
    if (q.next())
        return true;
    if (q.lastError().isValid())
        throw to_db_error(q.lastError());
    return false;
}

void closealldata() {
    const QStringList names = QSqlDatabase::connectionNames();
    for (const QString& name : names) {
        if (!name.startsWith(QLatin1String(kPrefix)))
            continue;
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
}

} // namespace pw
