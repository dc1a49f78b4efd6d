#pragma once
// The bare PostgreSQL side of the server benchmarks: the same SQL as the station sends, on
// one persistent libpq connection with every statement prepared once, the tables named by
// their schemas. Report rows are copied into the local work database as the bare SQLite
// side copies them.

#include "baseline.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariantList>
#include <functional>

struct pg_conn;
struct pg_result;

namespace bench::pgbare {

class Server {
public:
    explicit Server(const QString& url);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Runs sql ($1.. placeholders) prepared once, with the values as text (null for a null
    // value); the result is the caller's to free with PQclear. Throws on failure.
    pg_result* run(const QByteArray& sql, const QVariantList& values = {});
    // The same, the result let go of.
    void exec(const QByteArray& sql, const QVariantList& values = {});
    // Runs statements without values in one round trip, unprepared. Throws on failure.
    void simple(const QByteArray& sql);
    // Runs it the same way with its rows handed to row one at a time, as they come from the
    // server; row's result is freed after it returns. Throws on failure.
    void each_row(const QByteArray& sql, const QVariantList& values,
                  const std::function<void(const pg_result*)>& row);

private:
    // The prepared statement's name for sql, prepared at its first use.
    QByteArray prepared(const QByteArray& sql);

    pg_conn* conn_ = nullptr;
    QHash<QByteArray, QByteArray> prepared_; // statement name by text
};

// The station's SQLite text for one schema: '?' numbered, the tables named with schema.
QByteArray server_sql(const QString& sql, const QString& schema);

void identify(Server& s, int employee);
void punch_in(Server& s, int employee, int job, int date, const QString& time);
void punch_out(Server& s, int employee, int job, int week_from, int week_to);
// The report query on the server's punch table (the station's text), each employee's name
// looked up once, its rows taken as they come and each copied into the local work database in one
// transaction; with so_far, each with its hours so far.
void report(Server& s, const bare::Paths& p, const QString& sql, const QVariantList& binds,
            const std::optional<bare::SoFar>& so_far = {});

} // namespace bench::pgbare
