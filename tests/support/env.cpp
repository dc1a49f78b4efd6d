#include "env.h"

#include "station/settings.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUuid>
#include <ctime>
#include <gtest/gtest.h>

namespace pw::test {

namespace {

constexpr auto kServerVariable = "PW_TEST_DATABASE";

// A database of its own for one test, so tests stay parallel.
QString fresh_database() {
    const QString base = qEnvironmentVariable(kServerVariable);
    if (base.isEmpty())
        return {};
    const QString name = "pwtest_" + QUuid::createUuid().toString(QUuid::Id128);
    server_exec(base, "create database " + name);
    QUrl url(base);
    url.setPath("/" + name);
    return url.toString();
}

suite::Installation install(const QTemporaryDir& tmp, const QString& server,
                            suite::Options options) {
    if (!tmp.isValid())
        throw std::runtime_error("no temporary folder");
    options.database = server;
    return suite::create_installation(tmp.path(), options);
}

// False when the database could not be opened or the statement failed.
template <typename Fn> bool with_db(const DbAccess& access, const QString& path, Fn fn) {
    try {
        Db db(path, DbMode::ReadWrite, access);
        fn(db);
        return true;
    } catch (const DbError&) {
        return false;
    }
}

// A value as SQLite's driver gives it (whole numbers as qlonglong, NULL as a null text), so
// that rows read from a server compare equal to the same rows read from SQLite.
QVariant as_sqlite(const QVariant& v) {
    if (v.isNull())
        return QVariant(QMetaType::fromType<QString>());
    const int type = v.typeId();
    if (type == QMetaType::Int || type == QMetaType::ULongLong)
        return v.toLongLong();
    return v;
}

} // namespace

TestEnv::TestEnv(suite::Options options)
    : server(fresh_database())
    , inst(install(tmp, server, options))
    , programs(inst.station)
    , st(Platform{dialogs, clock, printers, programs, files, test_keyboard()}, inst.station) {
    st.busy_timeout_ms = 200;
}

TestEnv::~TestEnv() {
    if (server.isEmpty())
        return;
    closealldata(st.kept_connections());
    const QString name = QUrl(server).path().mid(1);
    try {
        server_exec(qEnvironmentVariable(kServerVariable),
                    "drop database " + name + " with (force)");
    } catch (const DbError& e) {
        ADD_FAILURE() << e.what();
    }
}

void TestEnv::load() {
    ASSERT_TRUE(initnode(st));
    checksuite(st);
    loadsettings(st);
}

bool TestEnv::exec(const QString& db, const QString& sql) const {
    return with_db(db_access(), db, [&](Db& d) { d.run(sql); });
}

QList<QVariantMap> TestEnv::rows(const QString& db, const QString& sql) const {
    QList<QVariantMap> out;
    const bool ok = with_db(db_access(), db, [&](Db& d) {
        QSqlQuery q = d.run(sql);
        while (fetch(q)) {
            QVariantMap row;
            const QSqlRecord rec = q.record();
            for (int i = 0; i < rec.count(); ++i)
                row.insert(rec.fieldName(i), as_sqlite(rec.value(i)));
            out << row;
        }
    });
    EXPECT_TRUE(ok) << sql.toStdString();
    return out;
}

QVariant TestEnv::scalar(const QString& db, const QString& sql) const {
    const auto r = rows(db, sql);
    return r.isEmpty() || r.first().isEmpty() ? QVariant() : r.first().first();
}

QList<QVariantMap> TestEnv::punches(const QString& where) const {
    return rows(punchdb(), "select * from punch where " + where + " order by rowid");
}

bool TestEnv::add_punch(const QVariantMap& values) const {
    return suite::insert_row(db_access(), punchdb(), "punch", values);
}

suite::Options demo_club(const QDate& today, const QString& server) {
    suite::Options o;
    o.demo = true;
    o.today = today;
    o.database = server;
    return o;
}

QVariantMap merged(QVariantMap a, const QVariantMap& b) {
    a.insert(b);
    return a;
}

static void use_zone(const QByteArray& zone) {
    zone.isEmpty() ? qunsetenv("TZ") : qputenv("TZ", zone);
    tzset();
}

ZoneScope::ZoneScope(const char* zone)
    : before(qgetenv("TZ"))
    , set(zone != nullptr) {
    if (set)
        use_zone(zone);
}

ZoneScope::~ZoneScope() {
    if (set)
        use_zone(before);
}

QVariantMap fields(const QString& text) {
    QVariantMap m;
    for (const QString& f : text.split(' ', Qt::SkipEmptyParts)) {
        const QString value = f.section('=', 1);
        bool number = false;
        const double d = value.toDouble(&number);
        m["tck" + f.section('=', 0, 0)] = number ? QVariant(d) : QVariant(value);
    }
    return m;
}

DbLock::DbLock(const TestEnv& env, const QString& path)
    : db(path, DbMode::ReadWrite, env.db_access()) {
    if (db.backend() == Backend::SQLite) {
        db.run("begin exclusive");
        return;
    }
    db.begin();
    db.run("lock table " +
           db.scalar("select string_agg(quote_ident(tablename), ',') from pg_tables where "
                     "schemaname = current_schema()")
               .toString() +
           " in access exclusive mode");
}

bool refuse_inserts(const TestEnv& env, const QString& db, const QString& table,
                    const QString& condition, const QString& event) {
    return with_db(env.db_access(), db, [&](Db& d) {
        d.run(d.backend() == Backend::SQLite
                  ? "create trigger refuse before " + event + " on " + table + " when " +
                        condition + " begin select raise(abort, 'disk full'); end"
                  : "create function refuse() returns trigger language plpgsql as $$ begin raise "
                    "exception 'disk full'; end $$; create trigger refuse before " +
                        event + " on " + table + " for each row when (" + condition +
                        ") execute function refuse()");
    });
}

int code_of(const std::function<void()>& work) {
    try {
        work();
    } catch (const DbError& e) {
        return e.code();
    }
    return 0;
}

bool corrupt_database(const TestEnv& env, const QString& db) {
    if (database_server(db, env.db_access()).isEmpty()) {
        QFile f(db);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(QByteArray(4096, 'x'));
    }
    return with_db(env.db_access(), db, [](Db& d) {
        d.run("do $$ declare t text; begin for t in select tablename from pg_tables where "
              "schemaname = current_schema() loop execute format('alter table %1$I rename to %2$I; "
              "create function %3$I() returns setof %2$I language plpgsql as $f$ begin raise "
              "exception ''malformed'' using errcode = ''data_corrupted''; end $f$; create view "
              "%1$I as select * from %3$I()', t, t || '_lost', t || '_read'); end loop; end $$");
    });
}

QByteArray TestEnv::read_file(const QString& path) const {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestEnv::write_file(const QString& path, const QByteArray& bytes) const {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

int code_shown(const ScriptedDialogs& dialogs) {
    static const QRegularExpression code(QStringLiteral("^Code (\\d+) - "));
    if (dialogs.boxes.isEmpty() || dialogs.last().title != "Parvela Codes")
        return -1;
    const auto m = code.match(dialogs.last().text);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace pw::test
