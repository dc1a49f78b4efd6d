#pragma once
// Open-use-close access to the suite's SQLite database files. A Db is one connection that
// lives for one operation: open, read or write with bound values, close (the destructor).
// Opening never creates a file. Every engine failure becomes a DbError carrying the
// station's numbered code and the engine's own description.

#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <stdexcept>

class QSqlError;

namespace pw {

class DbError : public std::runtime_error {
public:
    DbError(int code, const QString& description);
    int code() const { return code_; }
    QString description() const { return description_; }

private:
    int code_;
    QString description_;
};

// The station's codes: 3045 busy or locked after the timeout, 75 unreachable or I/O,
// 53 file missing, 3024 table missing, 3018 column missing, 3021 no current row,
// 3022 duplicate key, 3049 corrupt or not a database, 13 type mismatch.
int station_code(const QSqlError& error);
DbError to_db_error(const QSqlError& error);

enum class DbMode { ReadWrite, ReadOnly };

class Db {
public:
    // Throws DbError 53 when the file does not exist.
    explicit Db(const QString& path, DbMode mode = DbMode::ReadWrite, int busy_timeout_ms = 3000);
    ~Db();
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    const QString& path() const { return path_; }

    // Prepares sql, binds the values in order and runs it. The query is forward-only; read
    // it and let it go out of scope before the Db closes.
    QSqlQuery run(const QString& sql, const QVariantList& binds = {});
    // Prepares sql once, for statements that run for every row of a long operation; run it
    // with pw::exec. Throws DbError.
    QSqlQuery prepare(const QString& sql);
    // The first column of the first row, or a null QVariant when there is no row.
    QVariant scalar(const QString& sql, const QVariantList& binds = {});

    // BEGIN IMMEDIATE: the write lock is taken now, so a busy file shows at once as 3045.
    void begin();
    void commit();
    void rollback();

private:
    QString path_;
    QString name_;
};

// Commits at commit(); rolls back when left without it (an exception in flight).
class Transaction {
public:
    explicit Transaction(Db& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Db& db_;
    bool done_ = false;
};

// Runs a prepared query (again) with these values bound in order. Throws DbError.
void exec(QSqlQuery& q, const QVariantList& binds);

// Moves q to its next row: false at the end, DbError when the engine failed on the way.
bool fetch(QSqlQuery& q);

// Removes every database connection that is still registered. Used when the station closes.
void closealldata();

} // namespace pw
