#include "env.h"

#include "station/settings.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <gtest/gtest.h>

namespace pw::test {

namespace {

suite::Installation install(const QTemporaryDir& tmp, const suite::Options& options) {
    if (!tmp.isValid())
        throw std::runtime_error("no temporary folder");
    return suite::create_installation(tmp.path(), options);
}

template <typename Fn> void with_db(const QString& path, Fn fn) {
    const QString name = "test-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(path);
        if (db.open())
            fn(db);
        else
            ADD_FAILURE() << "cannot open " << path.toStdString();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

TestEnv::TestEnv(suite::Options options)
    : inst(install(tmp, options))
    , programs(inst.station)
    , st(Platform{dialogs, clock, printers, programs, files}, inst.station) {
    st.busy_timeout_ms = 200;
}

void TestEnv::load() {
    ASSERT_TRUE(initnode(st));
    checksuite(st);
    loadsettings(st);
}

bool TestEnv::exec(const QString& db, const QString& sql) const {
    bool ok = false;
    with_db(db, [&](QSqlDatabase& d) {
        QSqlQuery q(d);
        ok = q.exec(sql);
    });
    return ok;
}

QList<QVariantMap> TestEnv::rows(const QString& db, const QString& sql) const {
    QList<QVariantMap> out;
    with_db(db, [&](QSqlDatabase& d) {
        QSqlQuery q(d);
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
        while (q.next()) {
            QVariantMap row;
            const QSqlRecord rec = q.record();
            for (int i = 0; i < rec.count(); ++i)
                row.insert(rec.fieldName(i), rec.value(i));
            out << row;
        }
    });
    return out;
}

QVariant TestEnv::scalar(const QString& db, const QString& sql) const {
    const auto r = rows(db, sql);
    return r.isEmpty() || r.first().isEmpty() ? QVariant() : r.first().first();
}

bool TestEnv::add_punch(const QVariantMap& values) const {
    return suite::insert_row(punchdb(), "punch", values);
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

} // namespace pw::test
