#pragma once
// Statements the station runs on a SQLite file itself, on the connection the Qt driver opened:
// prepared from the file's own UTF-8 text, their values bound and their rows read as the driver
// binds and reads them. The driver scans every statement's text twice for placeholders, has
// SQLite read it as UTF-16, and goes through several layers for each value; on a press's few
// short statements that is a good part of the time. Only db.cpp uses this.

#include <QByteArray>
#include <QSqlError>
#include <QSqlResult>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace pw {

// Values bound to a statement by reference to texts kept here, which must therefore stay as
// they are for as long as the statement holds them: until the next bind.
class FileValues {
public:
    // Binds values to s in order, as the Qt driver binds them. False when one is of a type
    // only the driver binds, or SQLite refused it: the driver then says what is wrong.
    bool bind(sqlite3_stmt* s, const QVariantList& values);

private:
    QByteArray texts_;
    // Each value's type, whether it is null, and its text in texts_.
    struct Place {
        qsizetype start;
        qsizetype size;
        int type;
        bool null;
    };
    std::vector<Place> places_;
};

// Column i of s's current row as the Qt driver gives it.
QVariant file_value(sqlite3_stmt* s, int i);
// The same as a number, as QVariant::toDouble reads it: 0 for null; nullopt for text and
// blobs, for the value to say.
std::optional<double> file_number(sqlite3_stmt* s, int i);
// The same as text, a null as a null text; nullopt for numbers and blobs, for the value to say.
std::optional<QString> file_text(sqlite3_stmt* s, int i);
// Column i of s as the Qt driver names it.
QString file_column_name(sqlite3_stmt* s, int i);
// The failure of the last call on db, with code as the native code, as the driver reports it.
QSqlError file_error(sqlite3* db, int code);

class FileAnswer;

// The answers of one connection still alive. They must let go of their statements before the
// connection closes: the file would otherwise stay open.
class FileAnswers {
public:
    void add(FileAnswer* a) { live_.insert(a); }
    void remove(FileAnswer* a) { live_.erase(a); }
    void let_go_all();

private:
    std::unordered_set<FileAnswer*> live_;
};

// A statement that has run once, read through a QSqlQuery as the driver's own results are:
// forward only, its first row already stepped to, as the driver does. It owns the statement.
class FileAnswer : public QSqlResult {
public:
    // first: what the statement's first step gave, SQLITE_ROW or SQLITE_DONE.
    FileAnswer(const QSqlDriver* driver, std::shared_ptr<FileAnswers> live, sqlite3_stmt* s,
               int first, FileValues values, const QString& sql);
    ~FileAnswer() override;
    FileAnswer(const FileAnswer&) = delete;
    FileAnswer& operator=(const FileAnswer&) = delete;

    // Lets go of the statement: the answer then has no more rows.
    void let_go();

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
    void detachFromResultSet() override;

private:
    // Whether column i of a current row is there to be read.
    bool holds(int i) const;

    std::shared_ptr<FileAnswers> live_;
    sqlite3_stmt* stmt_;
    FileValues values_;
    bool first_row_ = false; // stepped to at the run, not yet fetched
    int changes_ = 0;
    int columns_ = 0;
};

} // namespace pw
