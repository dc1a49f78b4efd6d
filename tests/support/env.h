#pragma once
// A station on a temporary installation made by the suite stand-in, with every platform
// double behind it. One per test; the folder goes away with it.

#include "installation.h"
#include "platform/doubles.h"
#include "station/db.h"
#include "station/station.h"

#include <QTemporaryDir>
#include <QVariantMap>
#include <functional>

namespace pw::test {

// With PW_TEST_DATABASE set to a PostgreSQL connection URI, every TestEnv lays its shared
// databases out in a fresh database of that server (dropped with it) instead of SQLite files.
// The key delivery of the test program: Qt's where the program has widgets, none in the
// programs of the core.
Keyboard* test_keyboard();

struct TestEnv {
    explicit TestEnv(suite::Options options = {});
    ~TestEnv();
    TestEnv(const TestEnv&) = delete;
    TestEnv& operator=(const TestEnv&) = delete;

    QTemporaryDir tmp;
    QString server; // the fresh database's URI, or empty on SQLite files
    suite::Installation inst;
    ScriptedDialogs dialogs;
    TestClock clock;
    RecordingPrinters printers;
    RecordingPrograms programs;
    FaultyFiles files;
    Station st;

    QString data(const QString& name) const { return inst.data + name; }
    QString station_file(const QString& name) const { return inst.station + name; }
    QString empdb() const { return data("EMP.MDB"); }
    QString punchdb() const { return data("PUNCHCLK.MDB"); }
    QString configdb() const { return data("CONFIG.MDB"); }
    // Where the installation's databases are, for the suite's row helpers and Db.
    const DbAccess& db_access() const { return inst.db_access; }

    // initnode, checksuite and loadsettings, as start-up runs them.
    void load();

    // Straight database access for arranging and checking, outside the station's code.
    bool exec(const QString& db, const QString& sql) const;
    QList<QVariantMap> rows(const QString& db, const QString& sql) const;
    QVariant scalar(const QString& db, const QString& sql) const;
    // The punch rows where the condition holds, in the order they were added.
    QList<QVariantMap> punches(const QString& where = "true") const;
    // Adds a punch row: columns left out take the table's defaults.
    bool add_punch(const QVariantMap& values) const;

    QByteArray read_file(const QString& path) const;
    void write_file(const QString& path, const QByteArray& bytes) const;
};

// The demo club's installation, its punches leading up to today; its shared databases on
// the server given, if any.
suite::Options demo_club(const QDate& today, const QString& server = {});

QVariantMap merged(QVariantMap a, const QVariantMap& b);

// The station's time zone while this lives (TZ, e.g. "America/New_York"); none: unchanged.
struct ZoneScope {
    explicit ZoneScope(const char* zone);
    ~ZoneScope();
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;
    QByteArray before;
    bool set = false;
};
// Punch columns written short: "adjtimein=06:00:00 status=1" (a value that is no number is
// text).
QVariantMap fields(const QString& text);

// Another station holding a database whole while this lives: readers and writers wait for
// the busy timeout, then fail with 3045. On a server, a writer's transaction holding every
// table of the schema exclusively.
struct DbLock {
    DbLock(const TestEnv& env, const QString& path);
    Db db;
};

// Makes inserts into table fail from now on where condition holds (written on the new row's
// columns as new.NAME), as a full disk or a refusing engine would; with event "update of A, B",
// updates that set A or B.
bool refuse_inserts(const TestEnv& env, const QString& db, const QString& table,
                    const QString& condition, const QString& event = "insert");

// The station's code of the DbError that work throws, 0 when it throws none.
int code_of(const std::function<void()>& work);

// Makes the database unreadable, as a damaged file is: opening or reading it fails with 3049.
// On a server, every table of the schema becomes a view whose reading fails.
bool corrupt_database(const TestEnv& env, const QString& db);

// The code of the last box when it is the numbered-code box ("Code N - ..."), else -1.
int code_shown(const ScriptedDialogs& dialogs);

} // namespace pw::test
