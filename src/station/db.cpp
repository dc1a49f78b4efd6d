#include "db.h"

#include "libpq.h"
#include "platform/files.h"
#include "serveranswer.h"
#include "serverwatch.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlResult>
#include <QStringEncoder>
#include <QUrl>
#include <QUrlQuery>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <poll.h>
#include <sqlite3.h>
#include <utility>

namespace pw {

namespace {

constexpr auto kPrefix = "pw-db-";

QString next_connection_name() {
    static QAtomicInteger<quint64> counter;
    return QString::fromLatin1(kPrefix) + QString::number(counter.fetchAndAddRelaxed(1));
}

// A folder as compared: absolute, cleaned, ending in "/". Worked out from the text alone, as
// QDir::absolutePath does, without building a QDir for it at every database opened.
QString folder_key(const QString& folder) {
    const QString absolute =
        QDir::isAbsolutePath(folder) ? folder : QDir::currentPath() + QLatin1Char('/') + folder;
    return QDir::cleanPath(absolute) + QLatin1Char('/');
}

// Reads a libpq connection URI into the connection. Only the password is left out: it comes
// from libpq's own means. With a wait given, a server that does not answer (the network
// dropped) fails the connecting or the statement after about that long, unless the URI says
// otherwise.
void apply_url(QSqlDatabase& db, const QString& url, int wait_ms = 0) {
    const QUrl u(url);
    QString dbname = u.path(QUrl::FullyDecoded).mid(1);
    db.setHostName(u.host(QUrl::FullyDecoded));
    if (u.port() > 0)
        db.setPort(u.port());
    db.setUserName(u.userName(QUrl::FullyDecoded));
    QStringList options;
    const auto items = QUrlQuery(u).queryItems(QUrl::FullyDecoded);
    for (const auto& [key, value] : items) {
        if (key == QLatin1String("host"))
            db.setHostName(value);
        else if (key == QLatin1String("port"))
            db.setPort(value.toInt());
        else if (key == QLatin1String("user"))
            db.setUserName(value);
        else if (key == QLatin1String("dbname"))
            dbname = value;
        else if (key != QLatin1String("password"))
            options << key + QLatin1Char('=') + value;
    }
    if (wait_ms > 0) {
        const QString seconds = QString::number(std::max(2, (wait_ms + 999) / 1000));
        for (const auto& [key, value] :
             {std::pair{QStringLiteral("connect_timeout"), seconds},
              std::pair{QStringLiteral("tcp_user_timeout"), QString::number(wait_ms)},
              std::pair{QStringLiteral("keepalives_idle"), seconds},
              std::pair{QStringLiteral("keepalives_interval"), QStringLiteral("1")},
              std::pair{QStringLiteral("keepalives_count"), QStringLiteral("1")}})
            if (!QUrlQuery(u).hasQueryItem(key))
                options << key + QLatin1Char('=') + value;
    }
    db.setDatabaseName(dbname);
    db.setConnectOptions(options.join(QLatin1Char(';')));
}

// Rows that tie on every key of an ORDER BY come from SQLite in the order they were stored
// (its scans meet equal keys in rowid order), from the server in any order. So a one-table
// query's order ends with rowid on the server. Left alone: joins, groups, subqueries, a
// descending order (SQLite may scan it backwards) and an order that already names rowid.
QString with_rowid_order(const QString& sql) {
    static const QRegularExpression left_alone(
        QStringLiteral(R"(\b(?:join|group|distinct|union|desc|rowid)\b|\(\s*select\b)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression ordered(
        QStringLiteral(
            R"(^\s*select\b.*?\bfrom\s+\w+\s+(?:where\b.*?)?\border\s+by\s+.*?()(?:\s+limit\b.*?)?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    if (left_alone.match(sql).hasMatch())
        return sql;
    const QRegularExpressionMatch m = ordered.match(sql);
    if (!m.hasMatch())
        return sql;
    return QString(sql).insert(m.capturedStart(1), QStringLiteral(", rowid"));
}

// The station's SQL is written for SQLite; these are the few places PostgreSQL reads
// differently. CAST(x AS REAL) takes the leading number of a text, as SQLite does; "IS ?"
// compares with NULLs as equal; ties in an order fall back on rowid (with_rowid_order); table
// definitions get PostgreSQL's types and an indexed rowid, as a row is found by it.
QString for_server(const QString& sql) {
    static const QRegularExpression cast(QStringLiteral(R"(cast\(\s*([\w.]+)\s+as\s+real\s*\))"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression is_bound(QStringLiteral(R"(\bis\s+\?)"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression create_table(QStringLiteral(R"(^\s*create\s+table\b)"),
                                                 QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression integer(QStringLiteral(R"(\binteger\b)"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression real(QStringLiteral(R"(\breal\b)"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression text(QStringLiteral(R"(\btext\b)"),
                                         QRegularExpression::CaseInsensitiveOption);
    QString out = sql;
    if (create_table.match(out).hasMatch()) {
        out.replace(integer, QStringLiteral("bigint"));
        out.replace(real, QStringLiteral("double precision"));
        // Texts compare and sort by their characters' codes, as SQLite's do, whatever
        // language the server's database was made for.
        out.replace(text, QStringLiteral("text collate \"C\""));
        const qsizetype close = out.lastIndexOf(QLatin1Char(')'));
        if (close > 0)
            out.insert(close, QStringLiteral(", rowid bigserial primary key"));
        return out;
    }
    out.replace(cast, QStringLiteral("pw_real(cast(\\1 as text))"));
    out.replace(is_bound, QStringLiteral("is not distinct from ?"));
    return with_rowid_order(out);
}

// SQLite leaves a table's rowid out of "*"; a server's table carries it as a column of its own.
// So "*" in the select list of a one-table query becomes that table's own columns, as
// columns(table) lists them; a table it does not know keeps its "*", and the statement then
// says what is wrong.
QString expand_star(const QString& sql, const std::function<QString(const QString&)>& columns) {
    static const QRegularExpression star(
        QStringLiteral(R"((\bselect\s+|,\s*)\*(?=\s*,|\s+from\b))"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression table(
        QStringLiteral(R"(\bfrom\s+(\w+)(\s*(?:$|\)|where\b|order\b|limit\b|group\b))?)"),
        QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype done = 0;
    for (auto it = star.globalMatch(sql); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QRegularExpressionMatch from = table.match(sql, m.capturedEnd());
        if (!from.hasMatch() || from.capturedStart(2) < 0)
            continue;
        const QString list = columns(from.captured(1));
        if (list.isEmpty())
            continue;
        out += sql.mid(done, m.capturedEnd() - 1 - done) + list;
        done = m.capturedEnd();
    }
    return out + sql.mid(done);
}

// A server's statements name their tables with the database's schema, so that one kept
// connection serves every database of the folder without changing its search_path, which
// would also make the server plan every prepared statement again. The tables a statement
// reads or changes, the table an index is made on, the station's own function, and the
// current schema are spelled out; catalog tables and anything already named stay as they are.
QString in_schema(const QString& sql, const QString& schema) {
    static const QRegularExpression table(
        QStringLiteral(R"(\b((?:from|into|update|join)\s+|table\s+(?:if\s+(?:not\s+)?exists\s+)?)"
                       R"()(?!pg_|information_schema\b)([A-Za-z_]\w*)\b(?!\s*\.))"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression index(
        QStringLiteral(
            R"(^(\s*create\s+(?:unique\s+)?index\b[^()]*?\bon\s+)([A-Za-z_]\w*)\b(?!\s*\.))"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression real(QStringLiteral(R"((?<![.\w])pw_real\()"));
    static const QRegularExpression current(QStringLiteral(R"(\bcurrent_schema\(\s*\))"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString named = QLatin1Char('"') + schema + QStringLiteral("\".");
    return QString(sql)
        .replace(table, QStringLiteral("\\1") + named + QStringLiteral("\\2"))
        .replace(index, QStringLiteral("\\1") + named + QStringLiteral("\\2"))
        .replace(real, named + QStringLiteral("pw_real("))
        .replace(current, QLatin1Char('\'') + schema + QLatin1Char('\''));
}

// The leading number of a text, 0 when there is none; NULL stays NULL.
constexpr auto kRealFunction =
    "create function %1.pw_real(t text) returns double precision language sql immutable as "
    "$$ select case when t is null then null else coalesce(substring(ltrim(t) from "
    "'^[+-]?(?:[0-9]+[.]?[0-9]*|[.][0-9]+)(?:[eE][+-]?[0-9]+)?')::double precision, 0) "
    "end $$";

QString missing_text(const QString& path) {
    return QStringLiteral("Could not find file '%1'.").arg(path);
}

int server_code(const QString& state) {
    static const QHash<QString, int> exact = {
        {QStringLiteral("55P03"), 3045}, // lock_not_available: the lock wait timed out
        {QStringLiteral("40001"), 3045}, // serialization_failure
        {QStringLiteral("40P01"), 3045}, // deadlock_detected
        {QStringLiteral("3D000"), 53},   // the database does not exist
        {QStringLiteral("3F000"), 53},   // nor the schema
        {QStringLiteral("42P01"), 3024}, // undefined_table
        {QStringLiteral("42703"), 3018}, // undefined_column
        {QStringLiteral("42P06"), 3022}, // duplicate_schema
        {QStringLiteral("42P07"), 3022}, // duplicate_table
        {QStringLiteral("22P02"), 13},   // invalid_text_representation
        {QStringLiteral("42804"), 13},   // datatype_mismatch
        {QStringLiteral("42883"), 13},   // no operator for these types
        {QStringLiteral("22003"), 13},   // numeric_value_out_of_range
        {QStringLiteral("25006"), 75},   // read_only_sql_transaction
        {QStringLiteral("XX001"), 3049}, // data_corrupted
        {QStringLiteral("XX002"), 3049}, // index_corrupted
    };
    if (const auto it = exact.find(state); it != exact.end())
        return *it;
    const QStringView cls = QStringView(state).left(2);
    if (cls == u"23") // integrity constraint violation
        return 3022;
    if (cls == u"08" || cls == u"57" || cls == u"53" || cls == u"58") // connection, shutdown,
        return 75;                                                    // resources, system
    return 3000;
}

// What an idle server connection has heard since it was given back. A server that ended it
// (a restart, an administrator) has said so on it, and the socket of a connection the
// network dropped is in error.
enum class Heard { Nothing, Something, Broken };

// The libpq connection under a server connection's driver; null for any other, and once the
// connection is closed.
PGconn* pg_conn(const QSqlDriver* driver) {
    if (!driver || !driver->isOpen())
        return nullptr;
    const QVariant handle = driver->handle();
    // The driver names the type by libpq's struct or by its typedef, as its version has it.
    if (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0)
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

// The answer a server query holds now; null for any other query.
const PGresult* pg_result(const QSqlQuery& q) {
    const QVariant handle = q.result()->handle();
    if (qstrcmp(handle.typeName(), "pg_result*") != 0 &&
        qstrcmp(handle.typeName(), "PGresult*") != 0)
        return nullptr;
    return *static_cast<PGresult* const*>(handle.constData());
}

// The socket of an open server connection; -1 for any other.
int socket_of(const QSqlDatabase& db) {
    PGconn* conn = pg_conn(db.driver());
    const LoadedLibpq libpq;
    const auto socket = libpq.function(PQsocket, "PQsocket");
    return conn && socket ? socket(conn) : -1;
}

// Texts built from varying values must not pile up as statements on a connection kept for days:
// past this many, those kept are let go.
constexpr qsizetype kMostKept = 200;

// What Db::setup leaves a connection with that its statements depend on: the lock timeout.
// Neither the schema (statements name it, in_schema) nor read-only use (refuse_writes) is
// among them, so one connection serves every database of the folder as it is.
QString setup_key(const QString& path, DbMode mode, int busy_timeout_ms) {
    if (path.isEmpty() || mode == DbMode::Create)
        return {};
    return QString::number(busy_timeout_ms);
}

} // namespace

// A connection and what the Dbs working on it keep with it.
struct Connection {
    QString name;
    QHash<QString, QString> columns;      // a server table's own columns, by schema.table
    QHash<QString, QSqlQuery> statements; // prepared on the server, by schema and text
    // Statements prepared and run through libpq by the station itself (Db::run), by schema
    // and text: their names on the server and the texts the server has.
    QHash<QString, std::pair<QByteArray, QString>> named;
    int named_made = 0; // names given on it so far
    // On a server: the driver, and what the station calls of libpq itself; null when libpq
    // lacks something.
    QPointer<QSqlDriver> driver;
    std::shared_ptr<const ServerCalls> calls;
    QString setup;       // what Db::setup left it with (setup_key), empty when not known
    QString search_path; // the schema its search_path names, empty when not known
    // The schemas of the Dbs working on it now, one entry each. Two never share a schema, so
    // that neither can run a prepared statement the other is still reading rows of.
    QStringList schemas;
    bool writer = false;         // a Db that writes works on it, and then no other Db
    bool in_transaction = false; // a transaction is open on it
    // The Db whose rows of a query are still coming on it: the driver reads them as they are
    // asked for, and another statement on the connection would drop them.
    const Db* streaming = nullptr;
    bool unverified = false; // kept and used without its set-up, no statement run yet
    // What watches its statements' waits on the server (see ServerWatch); none on SQLite and
    // on connections not kept.
    ServerWatch* watch = nullptr;
    int socket = -1;
    QByteArray server;
    std::chrono::milliseconds patience{0};
    // The watch shut it: its server did not answer, so it is neither opened again at once nor
    // kept.
    bool silenced = false;
    // On SQLite: the driver's connection to the file, and the answers of statements the station
    // ran on it itself that are still alive.
    sqlite3* file = nullptr;
    std::shared_ptr<FileAnswers> answers = std::make_shared<FileAnswers>();
};

namespace {

// Closes c's connection; its statements go first, as they belong to it.
void close_connection(Connection& c) {
    c.statements.clear();
    c.answers->let_go_all();
    c.file = nullptr;
    {
        QSqlDatabase db = QSqlDatabase::database(c.name, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(c.name);
}

// The property of a watched connection's driver that leads back to its Connection.
constexpr const char* kConnectionProperty = "pw_connection";

// Runs step, a statement's wait on c's server, watched.
template <typename Step> auto watched(Connection& c, Step step) {
    const ServerWatch::Wait wait(c.watch, c.socket, c.server, c.patience);
    auto done = step();
    if (wait.shut())
        c.silenced = true;
    return done;
}

Heard heard_on(const Connection& c) {
    PGconn* conn = pg_conn(c.driver);
    if (!conn || !c.calls || c.socket < 0)
        return Heard::Something;
    if (c.calls->connection_status(conn) != CONNECTION_OK)
        return Heard::Broken;
    pollfd socket{c.socket, POLLIN, 0};
    return ::poll(&socket, 1, 0) == 0 ? Heard::Nothing : Heard::Something;
}

void bind_all(QSqlQuery& q, const QVariantList& binds) {
    for (int i = 0; i < binds.size(); ++i)
        q.bindValue(i, binds[i]);
}

// The error a statement on c ended with. A server connection that broke under it, or that
// the watch shut, is the server out of reach (75), whatever the driver made of it.
DbError error_on(const Connection& c, const QSqlError& error) {
    DbError e = to_db_error(error);
    if (c.socket >= 0 && c.silenced)
        return DbError(75, QStringLiteral("The database server stopped answering."));
    if (e.code() == 75 || c.socket < 0)
        return e;
    return heard_on(c) == Heard::Broken ? DbError(75, e.description()) : e;
}

// exec and fetch, their waits on c's server watched.
void exec_on(Connection& c, QSqlQuery& q, const QVariantList& binds) {
    bind_all(q, binds);
    if (!watched(c, [&] { return q.exec(); }))
        throw error_on(c, q.lastError());
}
bool fetch_on(Connection& c, QSqlQuery& q) {
    if (watched(c, [&] { return q.next(); }))
        return true;
    if (q.lastError().isValid())
        throw error_on(c, q.lastError());
    return false;
}

} // namespace

void streams(Connection& c, const Db* db) {
    c.streaming = db;
}
void stream_ended(Connection& c, const Db* db) {
    if (c.streaming == db)
        c.streaming = nullptr;
}

class ServerConnections {
public:
    ~ServerConnections() { close_all(); }

    // A connection of server that readers work on now, set up as setup, none of them in
    // schema, outside a transaction and with no rows coming; null when there is none.
    std::shared_ptr<Connection> in_use(const QString& server, const QString& setup,
                                       const QString& schema) {
        std::vector<std::weak_ptr<Connection>>& busy = busy_[server];
        std::erase_if(busy, [](const std::weak_ptr<Connection>& c) { return c.expired(); });
        for (const std::weak_ptr<Connection>& weak : busy) {
            std::shared_ptr<Connection> c = weak.lock();
            if (!setup.isEmpty() && c->setup == setup && !c->writer && !c->in_transaction &&
                !c->streaming && !c->schemas.isEmpty() && !c->schemas.contains(schema))
                return c;
        }
        return nullptr;
    }
    void working(const QString& server, const std::shared_ptr<Connection>& c) {
        busy_[server].push_back(c);
    }

    // An idle connection of server, one already set up as setup if there is one; null when
    // none is idle.
    std::shared_ptr<Connection> take(const QString& server, const QString& setup) {
        std::vector<std::shared_ptr<Connection>>& idle = idle_[server];
        const auto same = std::find_if(idle.begin(), idle.end(), [&](const auto& c) {
            return !setup.isEmpty() && c->setup == setup;
        });
        if (same != idle.end())
            std::iter_swap(same, idle.end() - 1);
        while (!idle.empty()) {
            std::shared_ptr<Connection> c = std::move(idle.back());
            idle.pop_back();
            if (QSqlDatabase::database(c->name, false).isOpen())
                return c;
            close_connection(*c); // closed under it (closealldata)
        }
        return nullptr;
    }

    void give_back(const QString& server, std::shared_ptr<Connection> c) {
        std::erase_if(busy_[server], [&](const std::weak_ptr<Connection>& w) {
            return w.expired() || w.lock() == c;
        });
        c->writer = c->in_transaction = false;
        c->streaming = nullptr;
        // More idle than a press ever uses at once would only hold the server's slots.
        constexpr std::size_t kMostIdle = 4;
        std::vector<std::shared_ptr<Connection>>& idle = idle_[server];
        if (idle.size() >= kMostIdle)
            return close_connection(*c);
        idle.push_back(std::move(c));
    }

    ServerWatch* watch() { return &watch_; }
    ServerAsk& ask() { return ask_; }

    std::vector<std::pair<QString, QString>> statements() const {
        std::vector<std::pair<QString, QString>> out;
        for (const auto& idle : idle_)
            for (const auto& c : idle) {
                for (auto it = c->statements.cbegin(); it != c->statements.cend(); ++it)
                    out.emplace_back(it.key().section(QLatin1Char('\n'), 0, 0),
                                     it.value().lastQuery());
                for (auto it = c->named.cbegin(); it != c->named.cend(); ++it)
                    out.emplace_back(it.key().section(QLatin1Char('\n'), 0, 0), it->second);
            }
        return out;
    }

    void close_all() {
        for (auto& idle : idle_)
            for (auto& c : idle)
                close_connection(*c);
        idle_.clear();
    }

private:
    ServerAsk ask_;
    ServerWatch watch_; // goes last, after every connection
    QHash<QString, std::vector<std::shared_ptr<Connection>>> idle_;
    QHash<QString, std::vector<std::weak_ptr<Connection>>> busy_; // worked on by a Db now
};

std::shared_ptr<ServerConnections> keep_server_connections() {
    return std::make_shared<ServerConnections>();
}

std::vector<std::pair<QString, QString>> kept_statements(const ServerConnections& kept) {
    return kept.statements();
}

std::optional<bool> server_answers(const DbAccess& access, std::chrono::milliseconds patience) {
    if (access.server.isEmpty() || !access.connections)
        return true;
    return access.connections->ask().answers(access.server.toUtf8(), patience);
}

QString database_server(const QString& path, const DbAccess& access) {
    if (access.server.isEmpty())
        return {};
    // The station names its databases by the data folder as it holds it: a file right in it,
    // told from the text alone.
    const QString& folder = access.data_folder;
    if (!folder.isEmpty() && path.size() > folder.size() + 1 && path.startsWith(folder) &&
        path[folder.size()] == u'/' && path.indexOf(u'/', folder.size() + 1) < 0)
        return path.endsWith(QLatin1String(".mdb"), Qt::CaseInsensitive) ? access.server
                                                                         : QString();
    const QFileInfo info(path);
    if (info.suffix().compare(QLatin1String("mdb"), Qt::CaseInsensitive) != 0 ||
        folder_key(info.absolutePath()) != folder_key(access.data_folder))
        return {};
    return access.server;
}

QString database_schema(const QString& path) {
    // The file's name up to its last dot, as QFileInfo's completeBaseName has it.
    QStringView name = QStringView(path).sliced(path.lastIndexOf(u'/') + 1);
    if (const qsizetype dot = name.lastIndexOf(u'.'); dot >= 0)
        name = name.first(dot);
    QString schema = name.toString().toLower();
    for (QChar& c : schema)
        if (!(c.isLetterOrNumber() && c.unicode() < 128))
            c = QLatin1Char('_');
    return schema;
}

bool database_exists(const QString& path, const DbAccess& access) {
    if (database_server(path, access).isEmpty())
        return QFileInfo(path).isFile();
    try {
        Db db(path, DbMode::ReadOnly, access);
        // A kept connection already set up for the database skips the set-up, which is what
        // finds a schema gone: asked here.
        return db
            .scalar(QStringLiteral("select to_regnamespace(cast(? as text)) is not null"),
                    {database_schema(path)})
            .toBool();
    } catch (const DbError& e) {
        return e.code() != 53;
    }
}

bool says_missing(const DbError& e, const QString& path) {
    return e.code() == 53 && e.description() == missing_text(path);
}

bool remove_database(const QString& path, const DbAccess& access) {
    const QString server = database_server(path, access);
    if (server.isEmpty())
        return QFile::remove(path);
    try {
        server_exec(server, QStringLiteral("drop schema if exists ") + database_schema(path) +
                                QStringLiteral(" cascade"));
    } catch (const DbError& e) {
        qWarning("%s", e.what());
        return false;
    }
    return true;
}

void server_exec(const QString& url, const QString& sql) {
    const QString name = next_connection_name();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        apply_url(db, url);
        QSqlError error;
        if (!db.open())
            error = db.lastError();
        else if (QSqlQuery q(db); !q.exec(sql))
            error = q.lastError();
        db.close();
        if (error.isValid()) {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw to_db_error(error);
        }
    }
    QSqlDatabase::removeDatabase(name);
}

bool database_exists(const Files& files, const QString& path, const DbAccess& access) {
    return database_server(path, access).isEmpty() ? files.exists(path)
                                                   : database_exists(path, access);
}

DbError::DbError(int code, const QString& description)
    : std::runtime_error(QStringLiteral("%1 - %2").arg(code).arg(description).toStdString())
    , code_(code)
    , description_(description) {}

int station_code(const QSqlError& error) {
    // PostgreSQL reports five-character SQLSTATEs; SQLite's codes are numbers below 10000.
    if (error.nativeErrorCode().size() == 5)
        return server_code(error.nativeErrorCode());
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

Db::Db(const QString& path, DbMode mode, const DbAccess& access)
    : Db(path, mode, access, database_server(path, access)) {}

std::unique_ptr<Db> Db::server(const DbAccess& access) {
    return std::unique_ptr<Db>(new Db({}, DbMode::ReadWrite, access, access.server));
}

Db::Db(const QString& path, DbMode mode, const DbAccess& access, const QString& server)
    : path_(path)
    , backend_(server.isEmpty() ? Backend::SQLite : Backend::PostgreSQL)
    , server_(server)
    , mode_(mode)
    , busy_timeout_ms_(access.busy_timeout_ms) {
    if (backend_ == Backend::SQLite) {
        const bool exists = QFileInfo(path).isFile();
        if (mode == DbMode::Create ? exists : !exists)
            throw DbError(mode == DbMode::Create ? 3022 : 53,
                          mode == DbMode::Create ? path + QStringLiteral(" already exists.")
                                                 : missing_text(path));
    } else if (access.connections) {
        kept_ = access.connections;
        if (join())
            return;
    }
    open_connection();
}

bool Db::join() {
    const QString wanted = setup_key(path_, mode_, busy_timeout_ms_);
    const QString schema = database_schema(path_);
    // Only readers share: a writer's statements, prepared before its transaction or in it,
    // stay on its own connection.
    std::shared_ptr<Connection> c =
        mode_ == DbMode::ReadOnly ? kept_->in_use(server_, wanted, schema) : nullptr;
    if (!c)
        return take_idle();
    // In use this very press: its set-up stands, and a statement finds a schema gone.
    conn_ = std::move(c);
    conn_->schemas += schema;
    schema_ = schema;
    return true;
}

bool Db::take_idle() {
    const QString wanted = setup_key(path_, mode_, busy_timeout_ms_);
    while (std::shared_ptr<Connection> c = kept_->take(server_, wanted)) {
        conn_ = std::move(c);
        kept_->working(server_, conn_);
        conn_->schemas = {schema_};
        conn_->writer = mode_ != DbMode::ReadOnly;
        // Set up as wanted and nothing heard since: its first statement is the press's.
        if (!wanted.isEmpty() && conn_->setup == wanted && heard_on(*conn_) == Heard::Nothing) {
            schema_ = database_schema(path_);
            conn_->schemas = {schema_};
            conn_->unverified = true;
            return true;
        }
        try {
            setup();
            return true;
        } catch (const DbError& e) {
            // Nothing was written yet: a connection that died while idle is replaced.
            close_connection(*conn_);
            conn_.reset();
            if (e.code() == 53)
                throw;
        }
    }
    return false;
}

void Db::detach() {
    conn_->schemas.removeOne(schema_);
    conn_.reset();
    if (!take_idle())
        open_connection();
}

void Db::keep_to_itself() {
    // Another reader's rows may still be coming on it, or its transaction be open there.
    if (conn_->schemas.size() > 1 && !in_transaction_ &&
        (conn_->in_transaction || (conn_->streaming && conn_->streaming != this)))
        detach();
}

void Db::open_connection() {
    const bool fresh = !conn_;
    if (fresh) {
        conn_ = std::make_shared<Connection>();
        conn_->schemas = {schema_};
        conn_->writer = mode_ != DbMode::ReadOnly;
    } else {
        // The same connection opened again: what was kept with the old one goes.
        conn_->columns.clear();
        conn_->statements.clear();
        conn_->named.clear();
        conn_->setup.clear();
        conn_->search_path.clear();
        conn_->silenced = false;
    }
    conn_->name = next_connection_name();
    QSqlDatabase db = QSqlDatabase::addDatabase(
        server_.isEmpty() ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), conn_->name);
    if (backend_ == Backend::SQLite) {
        QUrl url = QUrl::fromLocalFile(QFileInfo(path_).absoluteFilePath());
        url.setQuery(mode_ == DbMode::ReadOnly ? QStringLiteral("mode=ro")
                     : mode_ == DbMode::Create ? QStringLiteral("mode=rwc")
                                               : QStringLiteral("mode=rw"));
        db.setDatabaseName(url.toString(QUrl::FullyEncoded));
        db.setConnectOptions(
            QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busy_timeout_ms_));
    } else {
        apply_url(db, server_, busy_timeout_ms_);
    }
    try {
        if (!db.open())
            throw to_db_error(db.lastError());
        if (const QVariant handle = db.driver()->handle();
            qstrcmp(handle.typeName(), "sqlite3*") == 0)
            conn_->file = *static_cast<sqlite3* const*>(handle.constData());
        if (backend_ == Backend::PostgreSQL) {
            conn_->socket = socket_of(db);
            conn_->driver = db.driver();
            conn_->calls = pg_conn(db.driver()) ? server_calls() : nullptr;
            if (kept_) {
                conn_->watch = kept_->watch();
                conn_->server = server_.toUtf8();
                conn_->patience = std::chrono::milliseconds(busy_timeout_ms_);
                // So that rows read from a query outside the Db are watched too (fetch).
                db.driver()->setProperty(kConnectionProperty,
                                         QVariant::fromValue(std::weak_ptr<Connection>(conn_)));
            }
            setup();
        }
    } catch (const DbError&) {
        db = QSqlDatabase();
        close_connection(*conn_);
        throw;
    }
    if (kept_ && fresh)
        kept_->working(server_, conn_);
}

void Db::setup() {
    conn_->setup.clear();
    // Writes are refused to a read-only Db by the Db itself (refuse_writes), so that reading and
    // writing share the connection as it is.
    const QString settings =
        QStringLiteral("set_config('lock_timeout', '%1ms', false), "
                       "set_config('default_transaction_read_only', 'off', false)")
            .arg(busy_timeout_ms_);
    if (path_.isEmpty() || mode_ == DbMode::Create) {
        direct(QStringLiteral("select ") + settings);
        if (!path_.isEmpty())
            use(path_, mode_);
        return;
    }
    choose(path_, settings);
    conn_->setup = setup_key(path_, mode_, busy_timeout_ms_);
}

void Db::use(const QString& path, DbMode mode) {
    if (backend_ != Backend::PostgreSQL)
        throw DbError(3000, QStringLiteral("Only a server connection changes its database."));
    conn_->setup.clear();
    if (mode == DbMode::Create) {
        // The schema is a plain identifier (database_schema), safe to write into the text.
        const QString schema = database_schema(path);
        direct(QStringLiteral("create schema ") + schema);
        direct(QString::fromLatin1(kRealFunction).arg(schema));
    }
    choose(path, {});
}

void Db::choose(const QString& path, const QString& also) {
    const QString schema = database_schema(path);
    QSqlQuery q(QSqlDatabase::database(conn_->name, false));
    const QString sql =
        QStringLiteral("select exists(select 1 from pg_namespace where nspname = '%1')")
            .arg(schema) +
        (also.isEmpty() ? QString() : QStringLiteral(", ") + also);
    if (!watched(*conn_, [&] { return q.exec(sql); }))
        throw error_on(*conn_, q.lastError());
    if (!q.next() || !q.value(0).toBool())
        throw DbError(53, missing_text(path));
    path_ = path;
    conn_->schemas.removeOne(schema_);
    conn_->schemas += schema;
    schema_ = schema;
}

void Db::in_search_path() {
    if (conn_->search_path == schema_)
        return;
    direct(QStringLiteral("select set_config('search_path', '%1', false)").arg(schema_));
    conn_->search_path = schema_;
}

void Db::direct(const QString& sql) {
    if (backend_ == Backend::PostgreSQL && conn_->calls)
        return conn_->calls->clear(run_text(sql));
    if (conn_->file) {
        const int rc =
            sqlite3_exec(conn_->file, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            throw error_on(*conn_, file_error(conn_->file, rc));
        return;
    }
    keep_to_itself();
    for (;;) {
        QSqlQuery q(QSqlDatabase::database(conn_->name, false));
        if (watched(*conn_, [&] { return q.exec(sql); })) {
            conn_->unverified = false;
            return;
        }
        if (!replaced_after(error_on(*conn_, q.lastError()), sql))
            throw error_on(*conn_, q.lastError());
    }
}

bool Db::replaced_after(const DbError& e, const QString& sql) {
    static const QRegularExpression reads(QStringLiteral(R"(^\s*(?:select|begin)\b)"),
                                          QRegularExpression::CaseInsensitiveOption);
    // Nothing has run on it yet, so no Db working on it holds rows of it: all go on together
    // on the fresh one.
    if (!std::exchange(conn_->unverified, false) || conn_->silenced ||
        !reads.match(sql).hasMatch() || (e.code() != 75 && heard_on(*conn_) != Heard::Broken))
        return false;
    close_connection(*conn_);
    open_connection();
    return true;
}

QString Db::server_sql(const QString& sql) {
    const QString expanded = expand_star(for_server(sql), [this](const QString& table) {
        const QString key = schema_ + QLatin1Char('.') + table.toLower();
        if (const auto it = conn_->columns.constFind(key); it != conn_->columns.cend())
            return *it;
        QSqlQuery q(QSqlDatabase::database(conn_->name, false));
        q.prepare(QStringLiteral("select string_agg(quote_ident(attname), ', ' order by attnum) "
                                 "from pg_attribute where attrelid = to_regclass(?) and "
                                 "attnum > 0 and not attisdropped and attname <> 'rowid'"));
        q.addBindValue(QLatin1Char('"') + schema_ + QStringLiteral("\".") + table.toLower());
        QString list = watched(*conn_, [&] { return q.exec() && q.next(); }) ? q.value(0).toString()
                                                                             : QString();
        if (!list.isEmpty())
            conn_->columns.insert(key, list);
        return list;
    });
    return schema_.isEmpty() ? expanded : in_schema(expanded, schema_);
}

Db::~Db() {
    if (!conn_)
        return;
    stream_ended(*conn_, this);
    conn_->schemas.removeOne(schema_);
    if (!conn_->schemas.isEmpty() && !in_transaction_)
        return; // another Db still works on it
    if (kept_ && !in_transaction_ && !conn_->silenced &&
        QSqlDatabase::database(conn_->name, false).isOpen()) {
        for (QSqlQuery& q : conn_->statements)
            q.finish();
        kept_->give_back(server_, std::move(conn_));
        return;
    }
    close_connection(*conn_);
}

QSqlQuery Db::run(const QString& sql, const QVariantList& binds) {
    try {
        QSqlQuery q = run_here(sql, binds);
        conn_->unverified = false;
        return q;
    } catch (const DbError& e) {
        if (!replaced_after(e, sql))
            throw explained(e);
    }
    return run_here(sql, binds);
}

WholeRows Db::run_whole(const QString& sql) {
    // A file's rows are read into the WholeRows; a server's answer through libpq comes whole,
    // its statement prepared once as every other.
    if (backend_ != Backend::PostgreSQL || conn_->calls)
        return WholeRows(run(sql));
    refuse_writes(sql);
    keep_to_itself();
    for (;;) {
        const QString text = server_sql(sql);
        QSqlQuery q(QSqlDatabase::database(conn_->name, false));
        // Not forward-only: the driver takes the whole answer at once.
        if (watched(*conn_, [&] { return q.exec(text); })) {
            conn_->unverified = false;
            return WholeRows(std::move(q));
        }
        if (!replaced_after(error_on(*conn_, q.lastError()), sql))
            throw explained(error_on(*conn_, q.lastError()));
    }
}

WholeRows::WholeRows(QSqlQuery q)
    : q_(std::move(q)) {
    if (q_.isForwardOnly()) {
        columns_ = q_.record().count();
        for (; fetch(q_); ++size_)
            for (int i = 0; i < columns_; ++i)
                held_.append(q_.value(i));
        return;
    }
    size_ = std::max(q_.size(), 0);
    answer_ = pg_result(q_);
    if (answer_)
        read_ = answer_reader();
    if (read_)
        types_ = answer_types(*read_, answer_, q_.record().count());
}
WholeRows::~WholeRows() = default;
WholeRows::WholeRows(WholeRows&&) noexcept = default;
WholeRows& WholeRows::operator=(WholeRows&&) noexcept = default;

// Whether column of an answer's row is there to be read straight from it.
bool WholeRows::readable(int row, int column) const {
    return read_ && row >= 0 && row < size_ && column >= 0 && std::size_t(column) < types_.size();
}

QVariant WholeRows::cell(int row, int column) {
    if (!q_.isForwardOnly()) {
        if (readable(row, column))
            if (std::optional<QVariant> v =
                    answer_value(*read_, answer_, row, column, types_[std::size_t(column)]))
                return *v;
        return q_.seek(row) ? q_.value(column) : QVariant();
    }
    return held(row, column) ? held_.at(qsizetype(row) * columns_ + column) : QVariant();
}

double WholeRows::number(int row, int column) {
    if (readable(row, column))
        if (const std::optional<double> n =
                answer_number(*read_, answer_, row, column, types_[std::size_t(column)]))
            return *n;
    if (held(row, column)) // read where it is held, not copied out first
        return held_.at(qsizetype(row) * columns_ + column).toDouble();
    return cell(row, column).toDouble();
}

QString text_or_null(const QVariant& v) {
    return v.isNull() ? QString() : v.toString();
}

QString WholeRows::text(int row, int column) {
    if (readable(row, column))
        if (std::optional<QString> t =
                answer_text(*read_, answer_, row, column, types_[std::size_t(column)]))
            return *t;
    return text_or_null(cell(row, column));
}

bool WholeRows::held(int row, int column) const {
    return row >= 0 && row < size_ && column >= 0 && column < columns_;
}

DbError Db::explained(const DbError& e) {
    if (e.code() != 3024 || backend_ != Backend::PostgreSQL || schema_.isEmpty())
        return e;
    QSqlQuery q(QSqlDatabase::database(conn_->name, false));
    const QString sql =
        QStringLiteral("select not exists(select 1 from pg_namespace where nspname = '%1')")
            .arg(schema_);
    if (watched(*conn_, [&] { return q.exec(sql) && q.next(); }) && q.value(0).toBool())
        return DbError(53, missing_text(path_));
    return e;
}

QSqlQuery Db::run_here(const QString& sql, const QVariantList& binds) {
    static const QRegularExpression row_statement(
        QStringLiteral(R"(^\s*(?:select|insert|update|delete)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    if (backend_ == Backend::PostgreSQL && binds.isEmpty() &&
        !row_statement.match(sql).hasMatch()) {
        // PostgreSQL prepares only queries and changes of rows, not table definitions. What
        // such a statement makes or names without a schema belongs to the Db's.
        refuse_writes(sql);
        in_search_path();
        QSqlQuery q(QSqlDatabase::database(conn_->name, false));
        q.setForwardOnly(true);
        const QString text = server_sql(sql);
        if (!watched(*conn_, [&] { return q.exec(text); }))
            throw error_on(*conn_, q.lastError());
        return q;
    }
    if (backend_ == Backend::PostgreSQL && conn_->calls)
        return run_named(sql, binds);
    if (conn_->file)
        if (std::optional<QSqlQuery> q = run_on_file(sql, binds))
            return std::move(*q);
    QSqlQuery q = prepare(sql);
    exec_on(*conn_, q, binds);
    return q;
}

std::optional<QSqlQuery> Db::run_on_file(const QString& sql, const QVariantList& binds) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* s = nullptr;
    const char* rest = nullptr;
    FileValues values;
    if (sqlite3_prepare_v2(conn_->file, text.constData(), int(text.size()), &s, &rest) !=
            SQLITE_OK ||
        !s || !QByteArrayView(rest).trimmed().isEmpty() || !values.bind(s, binds)) {
        sqlite3_finalize(s);
        return std::nullopt;
    }
    // The first step runs it, as the driver's run does.
    const int first = sqlite3_step(s);
    if (first != SQLITE_ROW && first != SQLITE_DONE) {
        const QSqlError error = file_error(conn_->file, first);
        sqlite3_finalize(s);
        throw error_on(*conn_, error);
    }
    return QSqlQuery(new FileAnswer(QSqlDatabase::database(conn_->name, false).driver(),
                                    conn_->answers, s, first, std::move(values), sql));
}

QSqlQuery Db::run_named(const QString& sql, const QVariantList& binds) {
    refuse_writes(sql);
    keep_to_itself();
    // Rows of this Db's own query still coming on the connection are dropped by libpq; the
    // driver then fails that query at its next row, as after one of its own statements.
    stream_ended(*conn_, this);
    const ServerCalls& pq = *conn_->calls;
    PGconn* pg = pg_conn(conn_->driver);
    if (!pg)
        throw DbError(75, QStringLiteral("The database connection is closed."));
    // "*" is spelled out with the schema's columns, so the same text differs by schema.
    const QString key = schema_ + QLatin1Char('\n') + sql;
    auto named = conn_->named.constFind(key);
    if (named == conn_->named.cend()) {
        const QString text = server_sql(sql);
        if (conn_->named.size() >= kMostKept)
            forget_named();
        const QByteArray name = "pw_" + QByteArray::number(++conn_->named_made);
        PGresult* made = watched(*conn_, [&] {
            return pq.prepare(pg, name.constData(), numbered_placeholders(text).constData(), 0,
                              nullptr);
        });
        const bool ok = succeeded(pq, made);
        const QSqlError error = ok ? QSqlError() : answer_error(pq, pg, made);
        pq.clear(made);
        if (!ok) {
            // Nothing runs in preparing: any statement may be prepared again on a fresh
            // connection.
            if (replaced_after(error_on(*conn_, error), QStringLiteral("select")))
                return run_named(sql, binds);
            throw explained(error_on(*conn_, error));
        }
        named = conn_->named.insert(key, {name, text});
    }
    const ServerValues values(binds);
    PGresult* answer = watched(*conn_, [&] {
        return pq.exec_prepared(pg, named->first.constData(), values.count(), values.pointers(),
                                nullptr, nullptr, 0);
    });
    if (!succeeded(pq, answer)) {
        const QSqlError error = answer_error(pq, pg, answer);
        pq.clear(answer);
        throw error_on(*conn_, error);
    }
    return QSqlQuery(new ServerAnswer(conn_->driver, conn_->calls, answer, named->second));
}

void Db::forget_named() {
    QByteArray all;
    for (const auto& [name, text] : std::as_const(conn_->named))
        all += "deallocate " + name + ';';
    conn_->named.clear();
    // A server that fails this fails the next statement as well, which says so.
    if (PGconn* pg = pg_conn(conn_->driver))
        conn_->calls->clear(watched(*conn_, [&] { return conn_->calls->exec(pg, all); }));
}

namespace {

// The statement is a query: "select" as its first word.
bool reads_only(QStringView sql) {
    sql = sql.trimmed();
    const QStringView word = sql.first(std::min<qsizetype>(sql.size(), 6));
    return word.compare(QLatin1String("select"), Qt::CaseInsensitive) == 0 &&
           (sql.size() == 6 || !(sql[6].isLetterOrNumber() || sql[6] == u'_'));
}

} // namespace

void Db::refuse_writes(const QString& sql) const {
    if (backend_ == Backend::PostgreSQL && mode_ == DbMode::ReadOnly && !reads_only(sql))
        throw DbError(75, QStringLiteral("%1 was opened to be read only.").arg(path_));
}

QSqlQuery Db::prepare(const QString& sql) {
    refuse_writes(sql);
    keep_to_itself();
    // A server prepares each statement once per connection, its tables named with the schema.
    const bool keep = backend_ == Backend::PostgreSQL;
    // "*" is spelled out with the schema's columns, so the same text differs by schema.
    const QString key = keep ? schema_ + QLatin1Char('\n') + sql : QString();
    if (keep) {
        if (const auto it = conn_->statements.constFind(key); it != conn_->statements.cend()) {
            // Deliberately a copy sharing the prepared statement with the kept one.
            QT_WARNING_PUSH
            QT_WARNING_DISABLE_DEPRECATED
            return *it;
            QT_WARNING_POP
        }
    }
    QSqlQuery q(QSqlDatabase::database(conn_->name, false));
    q.setForwardOnly(true);
    const QString text = keep ? server_sql(sql) : sql;
    if (!watched(*conn_, [&] { return q.prepare(text); })) {
        // Nothing runs in preparing: any statement may be prepared again on a fresh connection.
        if (replaced_after(error_on(*conn_, q.lastError()), QStringLiteral("select")))
            return prepare(sql);
        throw explained(error_on(*conn_, q.lastError()));
    }
    if (keep) {
        if (conn_->statements.size() >= kMostKept)
            conn_->statements.clear();
        conn_->statements.insert(key, q);
    }
    return q;
}

void exec(QSqlQuery& q, const QVariantList& binds) {
    bind_all(q, binds);
    if (!q.exec())
        throw to_db_error(q.lastError());
}

RowStatement::RowStatement(Db& db, const QString& sql)
    : db_(&db)
    , conn_(db.conn_) {
    if (db.backend() != Backend::SQLite && conn_->calls) {
        // Prepared by the driver only if its rows are streamed (query).
        named_ = sql;
        return;
    }
    q_ = db.prepare(sql);
    if (db.backend() != Backend::SQLite)
        return;
    const QVariant handle = q_.result()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3_stmt*") == 0)
        stmt_ = *static_cast<sqlite3_stmt* const*>(handle.constData());
}

bool RowStatement::bind(const QVariantList& values) {
    return values_.bind(stmt_, values);
}

bool RowStatement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_DONE || rc == SQLITE_ROW)
        return rc == SQLITE_ROW;
    sqlite3* db = sqlite3_db_handle(stmt_);
    const QSqlError error = file_error(db, sqlite3_extended_errcode(db));
    sqlite3_reset(stmt_);
    throw to_db_error(error);
}

void RowStatement::run(const QVariantList& values) {
    if (!named_.isEmpty()) {
        db_->run(named_, values);
        return;
    }
    if (!bind(values))
        return exec_on(*conn_, q_, values);
    step();
    sqlite3_reset(stmt_);
}

RowStatement::~RowStatement() {
    stream_ended(*conn_, db_);
}

void RowStatement::query(const QVariantList& values) {
    if (!named_.isEmpty() && q_.lastQuery().isEmpty()) { // not prepared yet
        q_ = db_->prepare(named_);
        conn_ = db_->conn_;
    }
    direct_ = bind(values);
    if (!direct_) {
        exec_on(*conn_, q_, values);
        streams(*conn_, db_);
        // The driver makes the whole record anew at every call: asked once.
        columns_ = q_.record().count();
        types_.clear();
        if (db_->backend() == Backend::PostgreSQL && !answer_)
            answer_ = answer_reader();
    }
}

QSqlRecord RowStatement::record() const {
    if (!direct_)
        return q_.record();
    QSqlRecord record;
    for (int i = 0; i < sqlite3_column_count(stmt_); ++i)
        record.append(QSqlField(file_column_name(stmt_, i)));
    return record;
}

bool RowStatement::next(QVariantList& row) {
    row.clear();
    if (!advance())
        return false;
    const int columns = width();
    for (int i = 0; i < columns; ++i)
        row.append(cell(i));
    return true;
}

bool RowStatement::advance() {
    if (direct_) {
        if (step())
            return true;
        sqlite3_reset(stmt_);
        return false;
    }
    row_answer_ = nullptr;
    if (!fetch_on(*conn_, q_)) {
        stream_ended(*conn_, db_);
        return false;
    }
    row_answer_ = answer_ ? pg_result(q_) : nullptr;
    if (row_answer_ && types_.empty())
        types_ = answer_types(*answer_, row_answer_, columns_);
    row_at_ = q_.isForwardOnly() ? 0 : q_.at(); // a streamed row is its answer's only
    return true;
}

int RowStatement::width() const {
    return direct_ ? sqlite3_column_count(stmt_) : columns_;
}

QVariant RowStatement::cell(int column) const {
    if (!has(column))
        return {};
    if (direct_)
        return file_value(stmt_, column);
    if (row_answer_)
        if (std::optional<QVariant> v =
                answer_value(*answer_, row_answer_, row_at_, column, types_[std::size_t(column)]))
            return std::move(*v);
    return q_.value(column);
}

bool RowStatement::has(int column) const {
    return column >= 0 && column < width();
}

double RowStatement::number(int column) const {
    std::optional<double> n;
    if (direct_ && has(column))
        n = file_number(stmt_, column);
    else if (row_answer_ && has(column))
        n = answer_number(*answer_, row_answer_, row_at_, column, types_[std::size_t(column)]);
    return n ? *n : cell(column).toDouble();
}

QString RowStatement::text(int column) const {
    std::optional<QString> t;
    if (direct_ && has(column))
        t = file_text(stmt_, column);
    else if (row_answer_ && has(column))
        t = answer_text(*answer_, row_answer_, row_at_, column, types_[std::size_t(column)]);
    return t ? *t : text_or_null(cell(column));
}

namespace {

// Binds a changed value of a copied row as a file binds it; false for a type bound otherwise.
bool bind_changed(sqlite3_stmt* s, int at, const QVariant& value) {
    if (value.typeId() == QMetaType::Double)
        return sqlite3_bind_double(s, at, value.toDouble()) == SQLITE_OK;
    if (value.typeId() != QMetaType::QString)
        return false;
    const QString& text = *static_cast<const QString*>(value.constData());
    if (text.isNull())
        return sqlite3_bind_null(s, at) == SQLITE_OK;
    const QByteArray utf8 = text.toUtf8();
    return sqlite3_bind_text(s, at, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) ==
           SQLITE_OK;
}

} // namespace

void RowStatement::copy_to(RowStatement& into, const QList<std::pair<int, QVariant>>& changed) {
    const int columns = width();
    sqlite3_stmt* s = into.stmt_;
    bool bound = s && into.named_.isEmpty() && sqlite3_bind_parameter_count(s) == columns &&
                 (direct_ || row_answer_);
    if (bound) {
        sqlite3_reset(s);
        for (int i = 0; bound && i < columns; ++i)
            bound = direct_
                        ? sqlite3_bind_value(s, i + 1, sqlite3_column_value(stmt_, i)) == SQLITE_OK
                        : bind_answer_value(*answer_, row_answer_, row_at_, i,
                                            types_[std::size_t(i)], s, i + 1);
        for (const auto& [column, value] : changed)
            bound = bound && column >= 0 && column < columns && bind_changed(s, column + 1, value);
    }
    if (!bound) { // made and bound as any other values
        QVariantList values;
        for (int i = 0; i < columns; ++i)
            values.append(cell(i));
        for (const auto& [column, value] : changed)
            if (column >= 0 && column < columns)
                values[column] = value;
        return into.run(values);
    }
    into.step();
    sqlite3_reset(s);
}

std::optional<QVariantList> RowStatement::row(const QVariantList& values) {
    if (!named_.isEmpty()) {
        QSqlQuery q = db_->run(named_, values);
        if (!q.next())
            return std::nullopt;
        QVariantList found;
        const int columns = q.record().count();
        found.reserve(columns);
        for (int i = 0; i < columns; ++i)
            found.append(q.value(i));
        return found;
    }
    query(values);
    QVariantList found;
    const bool any = next(found);
    // The rest of the rows are not read: the statement is ready for the next values.
    if (direct_) {
        sqlite3_reset(stmt_);
    } else {
        q_.finish();
        stream_ended(*conn_, db_);
    }
    return any ? std::optional(found) : std::nullopt;
}

QVariant RowStatement::scalar(const QVariantList& values) {
    const std::optional<QVariantList> found = row(values);
    return found && !found->isEmpty() ? found->first() : QVariant();
}

QVariant Db::scalar(const QString& sql, const QVariantList& binds) {
    QSqlQuery q = run(sql, binds);
    return fetch_on(*conn_, q) ? q.value(0) : QVariant();
}

void Db::begin(WriteLock lock, double employee) {
    if (backend_ == Backend::SQLite) {
        in_transaction_ = true;
        return direct(QStringLiteral("BEGIN IMMEDIATE"));
    }
    // Only readers share a connection; one that begins a transaction leaves the others.
    if (conn_->schemas.size() > 1)
        detach();
    in_transaction_ = conn_->in_transaction = true;
    // Readers are never held up. The writers' lock is always taken before the bulk lock, and
    // shared before an employee's, so two transactions never wait for each other.
    // The locks are keyed by the schema's name, as the schema a connection works in; an
    // employee's by the schema's and the employee number's.
    QStringList locks;
    if (lock == WriteLock::Employee)
        locks << QStringLiteral("pg_advisory_xact_lock_shared(hashtext('%1')), "
                                "pg_advisory_xact_lock(hashtext('%1'), hashtext('%2'))")
                     .arg(schema_, QString::number(employee, 'g', 17));
    else if (lock != WriteLock::Import)
        locks << QStringLiteral("pg_advisory_xact_lock(hashtext('%1'))").arg(schema_);
    if (lock == WriteLock::Import || lock == WriteLock::Bulk)
        locks << QStringLiteral("pg_advisory_xact_lock(hashtext('%1/bulk'))").arg(schema_);
    try {
        // A kept connection is not asked for its schema when a press takes it: a schema gone
        // since is found here, before anything is written, and said as opening it would.
        const QString present =
            schema_.isEmpty() ? QStringLiteral("true")
                              : QStringLiteral("to_regnamespace('%1') is not null").arg(schema_);
        if (!begin_with(QStringLiteral("select ") + present + QStringLiteral(", ") +
                        locks.join(QStringLiteral(", "))))
            throw DbError(53, missing_text(path_));
        // The same, should a connection found dead have been replaced meanwhile.
        conn_->in_transaction = true;
    } catch (const DbError&) {
        try {
            rollback();
        } catch (const DbError&) {
            // Closing the connection ends the transaction all the same.
        }
        throw;
    }
}

bool Db::begin_with(const QString& sql) {
    if (!conn_->calls) {
        direct(QStringLiteral("BEGIN"));
        QSqlQuery q(QSqlDatabase::database(conn_->name, false));
        if (!watched(*conn_, [&] { return q.exec(sql); }))
            throw error_on(*conn_, q.lastError());
        return q.next() && q.value(0).toBool();
    }
    const ServerCalls& pq = *conn_->calls;
    PGresult* answer = run_text(QStringLiteral("begin; ") + sql);
    const bool yes = pq.ntuples(answer) > 0 && !pq.getisnull(answer, 0, 0) &&
                     qstrcmp(pq.getvalue(answer, 0, 0), "t") == 0;
    pq.clear(answer);
    return yes;
}

PGresult* Db::run_text(const QString& sql) {
    keep_to_itself();
    stream_ended(*conn_, this);
    const ServerCalls& pq = *conn_->calls;
    const QByteArray text = sql.toUtf8();
    for (;;) {
        PGconn* pg = pg_conn(conn_->driver);
        if (!pg)
            throw DbError(75, QStringLiteral("The database connection is closed."));
        // Of several statements in one text libpq answers for the last.
        PGresult* answer = watched(*conn_, [&] { return pq.exec(pg, text.constData()); });
        if (succeeded(pq, answer)) {
            conn_->unverified = false;
            return answer;
        }
        const DbError e = error_on(*conn_, answer_error(pq, pg, answer));
        pq.clear(answer);
        if (!replaced_after(e, sql))
            throw e;
    }
}

// A transaction whose end failed leaves the connection unfit to keep (see ~Db).
void Db::commit() {
    direct(QStringLiteral("COMMIT"));
    in_transaction_ = conn_->in_transaction = false;
}
void Db::rollback() {
    direct(QStringLiteral("ROLLBACK"));
    in_transaction_ = conn_->in_transaction = false;
}

Transaction::Transaction(Db& db, WriteLock lock, double employee)
    : db_(db) {
    db_.begin(lock, employee);
}

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
    // A row of a query on a watched server connection may have to come from a server that
    // stopped answering; a whole answer is here already.
    if (const QSqlDriver* driver = q.driver();
        driver && driver->dbmsType() == QSqlDriver::PostgreSQL && q.isForwardOnly())
        if (const std::shared_ptr<Connection> c =
                driver->property(kConnectionProperty).value<std::weak_ptr<Connection>>().lock())
            return fetch_on(*c, q);
    if (q.next())
        return true;
    if (q.lastError().isValid())
        throw to_db_error(q.lastError());
    return false;
}

void closealldata(ServerConnections* kept) {
    if (kept)
        kept->close_all();
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
