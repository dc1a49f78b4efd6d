#pragma once
// Open-use-close access to the suite's databases. A Db is one connection that lives for one
// operation: open, read or write with bound values, close (the destructor). A server's
// connections may instead be kept open between operations (ServerConnections). Opening never
// creates a database. Every engine failure becomes a DbError carrying the station's numbered
// code and the engine's own description.
//
// A database is named by its file path. By default it is that SQLite file. A data folder
// may instead be served by one PostgreSQL database (DbAccess::server): each NAME.MDB of the
// folder is then the schema "name" of that database: the same SQL runs on both, its tables
// named with the schema on the way to the server, so that one connection serves them all.
// This is the one place that knows which engine runs.

#include "fileanswer.h"

#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

class QSqlError;
struct sqlite3_stmt;
struct pg_result;

namespace pw {
struct AnswerFunctions;
class Files;
class WholeRows;
} // namespace pw

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

// Create makes the database (file or schema); it fails when the database already exists.
enum class DbMode { ReadWrite, ReadOnly, Create };
enum class Backend { SQLite, PostgreSQL };

// How the databases are reached. With a server, the .MDB databases of data_folder are served
// by the PostgreSQL database at server (a libpq connection URI, e.g.
// postgresql://user@host:5432/club or postgresql:///club?host=/run/pg); every other path is a
// SQLite file. Passwords come from libpq's own means (PGPASSWORD, the password file), never
// from the URI.
class ServerConnections;
struct Connection;
struct DbAccess {
    int busy_timeout_ms = 3000; // how long a lock is waited for before 3045
    QString server;             // empty: SQLite files only
    QString data_folder;
    // Server connections kept open between operations, with their prepared statements; null:
    // each Db opens and closes its own.
    std::shared_ptr<ServerConnections> connections = nullptr;
};

// Open server connections idle between a station's operations. A Db takes one (or opens one
// when none is idle) and gives it back when it closes, unless a transaction was left
// unfinished on it. A Db opened while another of the same server is open works on that one's
// connection, when the other works in another database and no transaction is open on it: a
// press that reads two databases at once holds one connection. A connection that died while idle
// (the server restarted, the network dropped) is found at once by the first statement a Db runs,
// which writes nothing, and is replaced by a fresh one.
std::shared_ptr<ServerConnections> keep_server_connections();
// The statements prepared on kept's idle connections: each one's schema and text as the
// server read it.
std::vector<std::pair<QString, QString>> kept_statements(const ServerConnections& kept);

// Whether the server of access answers at all, asked on another thread and waited for at most
// patience: nullopt while the answer is still coming (a later call takes it). True without a
// server or kept connections, and before the server driver was first loaded.
std::optional<bool> server_answers(const DbAccess& access, std::chrono::milliseconds patience);

// The server URI for a database path, or empty when it is a SQLite file.
QString database_server(const QString& path, const DbAccess& access);
// The schema of a server-held database path ("PUNCHCLK.MDB" -> "punchclk").
QString database_schema(const QString& path);
// Whether the database exists: the file, or the schema on its server. A server that cannot be
// reached counts as present, so that opening it reports why.
bool database_exists(const QString& path, const DbAccess& access);
// Whether e says the database at path is missing: the file at its opening, or on a server the
// schema, whichever statement found it gone.
bool says_missing(const DbError& e, const QString& path);
// Removes the database: the file, or the schema and all it holds. False when it failed.
bool remove_database(const QString& path, const DbAccess& access);
// Runs one statement outside any schema on the server at url (creating or dropping a whole
// database, for set-up). Throws DbError.
void server_exec(const QString& url, const QString& sql);
// The same, asking files for a file-held database (so the station's file access decides).
bool database_exists(const Files& files, const QString& path, const DbAccess& access);

// What a write transaction waits for on a server; SQLite has one writer per file whatever the
// kind. Writers: edits, settings and anything else, one at a time per database. Employee: one
// employee's punch in or out, which waits for that employee's other punches and for Writers,
// while other employees' punches go on beside it. Import: adds finished punches beside the
// stations' punching, waiting only for other bulk work. Bulk: export and archive/purge, which
// read a range and then change it, so they wait for all of them.
enum class WriteLock { Writers, Employee, Import, Bulk };

class Db {
public:
    // Throws DbError 53 when the file does not exist.
    explicit Db(const QString& path, DbMode mode = DbMode::ReadWrite, const DbAccess& access = {});
    ~Db();
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    // A connection to access's server with no database chosen yet, for work that spans
    // several databases of the folder in one transaction. Throws DbError.
    static std::unique_ptr<Db> server(const DbAccess& access);
    // On a server connection: works in path's database from now on. Create makes its schema
    // first, inside the open transaction, so that a rollback takes it away again.
    void use(const QString& path, DbMode mode = DbMode::ReadWrite);

    const QString& path() const { return path_; }
    Backend backend() const { return backend_; }

    // Prepares sql, binds the values in order and runs it. Read the query forward (on a file
    // it is forward-only) and let it go out of scope before the Db closes. On a server its
    // whole answer comes at once: a long run of rows is RowStatement's to read.
    QSqlQuery run(const QString& sql, const QVariantList& binds = {});
    // Runs a query without values whose rows are read whole right away, each then reached by
    // its position. For a short result. Throws DbError.
    WholeRows run_whole(const QString& sql);
    // Prepares sql once, for statements that run for every row of a long operation; run it
    // with pw::exec. Throws DbError.
    QSqlQuery prepare(const QString& sql);
    // The first column of the first row, or a null QVariant when there is no row.
    QVariant scalar(const QString& sql, const QVariantList& binds = {});

    // BEGIN IMMEDIATE: the write lock is taken now, so a busy file shows at once as 3045.
    // On a server the same: a transaction holding the locks its kind of writing needs (see
    // WriteLock), each waited for at most the busy timeout, so guarding reads and their
    // writes are never interleaved.
    // employee: whose punches an Employee transaction writes. Throws DbError 53 when a server's
    // schema is gone: the statement that takes the locks also asks for it.
    void begin(WriteLock lock = WriteLock::Writers, double employee = 0);
    void commit();
    void rollback();

private:
    friend class RowStatement;
    Db(const QString& path, DbMode mode, const DbAccess& access, const QString& server);
    void direct(const QString& sql);
    // On a server: begins a transaction and runs the query sql in it, in one round trip where
    // libpq is at hand. Whether the first column of its first row is true.
    bool begin_with(const QString& sql);
    // Runs statements without values on a server through libpq, the last one's answer the
    // caller's to clear. A kept connection found dead at its first statement is replaced, as
    // in direct. Throws DbError.
    pg_result* run_text(const QString& sql);
    QSqlQuery run_here(const QString& sql, const QVariantList& binds);
    // run_here on a SQLite file: the statement prepared, bound and run on the driver's
    // connection by the station itself. Nullopt leaves a statement it does not take (a value of
    // a type only the driver binds, text that does not prepare) to the driver, which then says
    // what is wrong.
    std::optional<QSqlQuery> run_on_file(const QString& sql, const QVariantList& binds);
    // run_here on a server: the statement prepared once by name on the connection through
    // libpq, run with its values sent apart, its answer read whole.
    QSqlQuery run_named(const QString& sql, const QVariantList& binds);
    // Lets go of the statements run_named prepared on the connection.
    void forget_named();
    // A new connection to the database (path_), set up for mode_.
    void open_connection();
    // A kept connection used without its set-up may have died while idle, the moment before:
    // its first statement finds out. When that statement only reads or begins a transaction
    // (sql), nothing was written, so the connection is replaced by a fresh one and true says
    // to run it again there. False otherwise, and for every later statement.
    bool replaced_after(const DbError& e, const QString& sql);
    // A table missing on a server may be its whole schema gone (the database removed while the
    // station ran): that is the missing database, as opening it would have said.
    DbError explained(const DbError& e);
    // Throws DbError 75, as a read-only file would, for any statement but a query on a server
    // Db opened read-only: the connection it runs on also serves writes.
    void refuse_writes(const QString& sql) const;
    // The statement as the server reads it (for_server, "*" spelled out).
    QString server_sql(const QString& sql);

    // Finds path_'s schema there and sets the lock timeout, in one statement.
    void setup();
    // Works in path's schema, running the settings also (set_config calls) in the same
    // statement. Throws DbError 53 when the schema does not exist.
    void choose(const QString& path, const QString& also);
    // Makes the connection's search_path the Db's schema, for a statement that makes or names
    // something without its schema.
    void in_search_path();

    // Works on a kept connection: one another Db of this server already works on, else an idle
    // one. False when there is none.
    bool join();
    bool take_idle();
    // Leaves a connection other Dbs work on for one of its own: a transaction's statements
    // are its Db's alone.
    void detach();
    // Leaves a shared connection that is not between statements: another Db's rows are still
    // coming on it, or its transaction is open.
    void keep_to_itself();

    QString path_;
    QString schema_; // on a server, path_'s
    Backend backend_ = Backend::SQLite;
    QString server_;
    std::shared_ptr<ServerConnections> kept_; // where the connection goes back to, if anywhere
    std::shared_ptr<Connection> conn_;        // what this Db works on, with what it keeps
    bool in_transaction_ = false;             // begun and not yet ended
    DbMode mode_;
    int busy_timeout_ms_;
};

// Commits at commit(); rolls back when left without it (an exception in flight).
class Transaction {
public:
    explicit Transaction(Db& db, WriteLock lock = WriteLock::Writers, double employee = 0);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Db& db_;
    bool done_ = false;
};

// A query's rows read whole (Db::run_whole), each reached by its position. On a server
// they stay in its answer, each value read from there when asked for.
class WholeRows {
public:
    ~WholeRows();
    WholeRows(WholeRows&&) noexcept;
    WholeRows& operator=(WholeRows&&) noexcept;
    int row_count() const { return size_; }
    // Column column of row row, as the Qt driver gives it.
    QVariant cell(int row, int column);
    // The same as a number, as QVariant::toDouble reads it.
    double number(int row, int column);
    // The same as text, as QVariant::toString reads it; a null as a null text.
    QString text(int row, int column);

private:
    friend class Db;
    explicit WholeRows(QSqlQuery q);
    bool readable(int row, int column) const;
    // Whether column of row is among the rows held (off a server).
    bool held(int row, int column) const;

    QSqlQuery q_;
    int size_ = 0;
    const pg_result* answer_ = nullptr; // on a server, the answer q_ holds
    std::unique_ptr<const AnswerFunctions> read_;
    std::vector<unsigned int> types_; // the answer's columns' types
    QVariantList held_;               // elsewhere, every row's values, row after row
    int columns_ = 0;                 // of each row held
};

// A value as text: a null as a null text.
QString text_or_null(const QVariant& v);

// Runs a prepared query (again) with these values bound in order. Throws DbError.
void exec(QSqlQuery& q, const QVariantList& binds);

// A statement run for every row of a long operation (report copies, imports), or a query
// whose many rows a long operation reads (reports, the export). On SQLite the values go to
// and come from the engine as the Qt driver would pass them, but without its per-value
// bookkeeping, which costs more than the statement itself; on a server it is pw::exec and
// pw::fetch.
class RowStatement {
public:
    // Throws DbError.
    RowStatement(Db& db, const QString& sql);
    ~RowStatement();
    RowStatement(const RowStatement&) = delete;
    RowStatement& operator=(const RowStatement&) = delete;
    // Runs it with these values bound in order. Throws DbError.
    void run(const QVariantList& values);
    // The same, giving the first column of the first row (null without a row).
    QVariant scalar(const QVariantList& values);
    // The same, giving every column of the first row; nullopt without a row.
    std::optional<QVariantList> row(const QVariantList& values);

    // Starts the query with these values bound; next() then reads its rows. Throws DbError.
    void query(const QVariantList& values);
    // The started query's columns, named as the Qt driver names them.
    QSqlRecord record() const;
    // The started query's next row into row; false after the last. Throws DbError.
    bool next(QVariantList& row);

    // Moves the started query to its next row, which stays where it came (in the file's
    // statement or the server's answer) until cell(), number(), text() or copy_to() read it;
    // false after the last. Throws DbError.
    bool advance();
    // The columns of the started query's rows.
    int width() const;
    // A column of the row advance() moved to, as next() gives it; invalid for a column the row
    // does not have.
    QVariant cell(int column) const;
    // The same as a number, as cell(column).toDouble() reads it.
    double number(int column) const;
    // The same as text, as cell(column).toString() reads it; a null as a null text.
    QString text(int column) const;
    // Runs into, a statement with a value for each of the row's columns, with the row advance()
    // moved to and the values of changed in their columns' place. When into is on a file, the
    // values go across as the file's statement or the server's answer holds them, without
    // being made first; the rows stored are those into.run() would store. Throws DbError.
    void copy_to(RowStatement& into, const QList<std::pair<int, QVariant>>& changed);

private:
    bool bind(const QVariantList& values);
    // Whether the started query's rows have this column.
    bool has(int column) const;
    // Steps the bound statement; true with a row.
    bool step();

    QSqlQuery q_;
    // On a server, the statement's text: run and row go through Db::run, which sends it by
    // name and its values apart; only a query's long run of rows comes through the driver,
    // which prepares q_ at the first query.
    QString named_;
    Db* db_;
    sqlite3_stmt* stmt_ = nullptr;     // the statement q_ holds, when on SQLite
    bool direct_ = false;              // the started query's rows come from stmt_
    int columns_ = 0;                  // the started query's columns, when not direct
    FileValues values_;                // what is bound to stmt_, for as long as it holds it
    std::shared_ptr<Connection> conn_; // the one q_ runs on
    // On a server, what reads the rows' values from its answers, and their columns' types.
    std::unique_ptr<const AnswerFunctions> answer_;
    std::vector<unsigned int> types_;
    const pg_result* row_answer_ = nullptr; // the answer holding the row advance() moved to
    int row_at_ = 0;                        // and where in it
};

// Moves q to its next row: false at the end, DbError when the engine failed on the way. A
// row that has to come from a server that stopped answering fails as a statement would.
bool fetch(QSqlQuery& q);

// Removes every database connection that is still registered, kept's idle ones with them.
// Used when the station closes.
void closealldata(ServerConnections* kept = nullptr);

} // namespace pw
