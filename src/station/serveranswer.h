#pragma once
// Statements the station runs on a server connection through libpq itself: prepared once by
// name, run with their values sent apart from the text, and their answers read as the Qt
// driver would give them. The driver instead writes every value into an EXECUTE statement that
// the server parses again at each run. Only db.cpp uses this.

#include "libpq.h"

#include <QByteArray>
#include <QMetaType>
#include <QSqlResult>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>
#include <optional>
#include <vector>

class QSqlError;
struct sqlite3_stmt;

namespace pw {

// The type the Qt driver gives a value of type oid, for the types read here without it.
std::optional<QMetaType> read_type(Oid oid);
// A value of a server's answer, of type oid, as the Qt driver gives it, for the types the
// station's tables and queries have. Nullopt leaves any other type, and any value the driver
// reads its own way, to the driver.
std::optional<QVariant> answer_value(const AnswerFunctions& pq, const PGresult* answer, int row,
                                     int column, Oid oid);
// A value of a server's answer of type oid as a number: a number as written, and 0 for null;
// nullopt for any other type, for the driver's value to say.
std::optional<double> answer_number(const AnswerFunctions& pq, const PGresult* answer, int row,
                                    int column, Oid oid);
// A value of a server's answer of type oid as text, for the text types: as answer_value gives
// it, a null as a null text; nullopt for any other type.
std::optional<QString> answer_text(const AnswerFunctions& pq, const PGresult* answer, int row,
                                   int column, Oid oid);
// Binds a value of a server's answer, of type oid, to parameter at of a SQLite statement as
// the value answer_value gives is bound there, straight from the answer, which has to stay
// until the statement has run. False binds nothing, for the value to be made and bound.
bool bind_answer_value(const AnswerFunctions& pq, const PGresult* answer, int row, int column,
                       Oid oid, sqlite3_stmt* s, int at);
// The types of an answer's columns.
std::vector<Oid> answer_types(const AnswerFunctions& pq, const PGresult* answer, int columns);
// What reads a server's answers; null when libpq does not give all it needs.
std::unique_ptr<const AnswerFunctions> answer_reader();

// The rest of libpq that running a statement takes.
struct ServerCalls : AnswerFunctions {
    explicit ServerCalls(const LoadedLibpq& libpq);
    bool usable() const;

    decltype(&PQprepare) prepare;
    decltype(&PQexecPrepared) exec_prepared;
    decltype(&PQexec) exec;
    decltype(&PQresultStatus) status;
    decltype(&PQresultErrorField) error_field;
    decltype(&PQerrorMessage) error_message;
    decltype(&PQclear) clear;
    decltype(&PQntuples) ntuples;
    decltype(&PQnfields) nfields;
    decltype(&PQfname) fname;
    decltype(&PQcmdTuples) cmd_tuples;
    decltype(&PQstatus) connection_status;
};
// Null when libpq is not loaded or lacks one of them.
std::shared_ptr<const ServerCalls> server_calls();

// A statement's text with its "?" placeholders numbered as the server's ($1, $2, ...), those
// inside quotes left alone, in UTF-8.
QByteArray numbered_placeholders(const QString& sql);

// Values as texts for the server, each as the Qt driver would have written it into the
// statement; a null as a null.
class ServerValues {
public:
    explicit ServerValues(const QVariantList& values);
    int count() const { return int(pointers_.size()); }
    const char* const* pointers() const { return pointers_.data(); }

private:
    std::vector<QByteArray> texts_;
    std::vector<const char*> pointers_;
};

// Whether a statement's answer says it ran; a null answer never does.
bool succeeded(const ServerCalls& pq, const PGresult* answer);
// The error of a statement whose answer (possibly null) says it failed on conn, as the Qt
// driver reports it: the server's message with its SQLSTATE as the native code. A statement
// that got no answer, or failed in libpq on a connection now lost, is a connection failure.
QSqlError answer_error(const ServerCalls& pq, const PGconn* conn, const PGresult* answer);

// A statement's whole answer, read through a QSqlQuery as the driver's own results are: the
// values of the types read_type knows as the driver gives them, any other as text; its rows in
// any order. It owns the answer.
class ServerAnswer : public QSqlResult {
public:
    ServerAnswer(const QSqlDriver* driver, std::shared_ptr<const ServerCalls> pq, PGresult* answer,
                 const QString& sql);
    ~ServerAnswer() override;
    ServerAnswer(const ServerAnswer&) = delete;
    ServerAnswer& operator=(const ServerAnswer&) = delete;

    QVariant handle() const override;

protected:
    QVariant data(int i) override;
    bool isNull(int i) override;
    bool reset(const QString& sql) override;
    bool fetch(int i) override;
    bool fetchFirst() override;
    bool fetchLast() override;
    int size() override;
    int numRowsAffected() override;
    QSqlRecord record() const override;

private:
    // Whether column i of the current row is there to be read.
    bool holds(int i) const;

    std::shared_ptr<const ServerCalls> pq_;
    PGresult* answer_;
    int rows_ = 0;
    std::vector<Oid> types_;
};

} // namespace pw
