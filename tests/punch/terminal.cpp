#include "terminal.h"

#include "punch/punchtable.h"
#include "schema.h"
#include "station/settings.h"
#include "window/identify.h"
#include "window/startup.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace pw::test {

Terminal::Terminal(suite::Options options)
    : env(std::move(options)) {
    EXPECT_TRUE(suite::add_employee(env.db_access(), env.empdb(), 9, "Ann", "Lee", 1));
    emp("insert into jobs (jobcode, jobdescription) values (10, 'Bartender'), (20, 'Cook'), "
        "(30, 'Server')");
    emp("insert into empjobs (empid, jobcode, payrate) values (9, 10, 8.25), (9, 20, 9.5)");
}

void Terminal::start() {
    connect_punch_screen(env.st, win);
    ASSERT_EQ(startup(env.st, win), Started::Running);
    win.Timer1->stop();
}

namespace {

QString peer_folder(const TestEnv& env, int node) {
    if (node == 0)
        return env.inst.station;
    const QString folder = env.tmp.path() + "/station" + QString::number(node) + "/";
    QDir().mkpath(folder);
    // The last NODENUMBER= counts.
    QString ini = QString::fromUtf8(env.read_file(env.station_file("parvnode.ini")));
    ini.replace(env.inst.station, folder) += "\nNODENUMBER=" + QString::number(node);
    env.write_file(folder + "parvnode.ini", ini.toUtf8());
    return folder;
}

} // namespace

Peer::Peer(const TestEnv& env, Clock& clock, Printers& printers, int node)
    : programs(env.inst.station)
    , st(Platform{dialogs, clock, printers, programs, files, test_keyboard()},
         peer_folder(env, node)) {
    st.busy_timeout_ms = 200;
    EXPECT_TRUE(initnode(st));
    checksuite(st);
    loadsettings(st);
    connect_punch_screen(st, win);
    win.show();
    clearscreen(st, win);
}

QPushButton* Terminal::button(const char* name) {
    auto* b = win.findChild<QPushButton*>(QString::fromLatin1(name));
    EXPECT_NE(b, nullptr) << name;
    return b;
}

void Terminal::emp(const QString& sql, const QVariantList& params) {
    EXPECT_TRUE(suite::exec_sql(env.db_access(), env.empdb(), sql, params)) << sql.toStdString();
}

void Terminal::open_punch(const QVariantMap& values) {
    ASSERT_TRUE(env.add_punch(merged(kOpenPunch, values)));
}

void Terminal::worked(int indate, double adjreghours) {
    ASSERT_TRUE(env.add_punch(fields(QString("jobcode=20 status=5 empid=9 indate=%1 adjreghours=%2")
                                         .arg(indate)
                                         .arg(adjreghours))));
}

void Terminal::expect_waiting() {
    EXPECT_EQ(lines(), kWaiting);
    EXPECT_EQ(win.txtempid->text(), "");
    for (const char* name :
         {"txtpassword", "txtname", "cmdpunchin", "cmdpunchout", "cmddone", "cmdmanager"})
        EXPECT_TRUE(win.findChild<QWidget*>(name)->isHidden()) << name;
    EXPECT_EQ(std::tuple(env.st.who.number, env.st.who.entry_mode), std::tuple(0, 0));
}

void expect_punch(const QVariantMap& row, const QVariantMap& want) {
    for (int i = 0; i < col::count; ++i) {
        const QString& name = punch_column_names()[i];
        // Unset columns hold the table's default: 0, or NULL for texts and tckexport.
        const QVariant expected =
            want.value(name, kPunchColumns[i].default_value == "0" ? QVariant(0) : QVariant());
        EXPECT_EQ(row.value(name).isNull(), expected.isNull()) << name.toStdString();
        EXPECT_EQ(row.value(name).toString(), expected.toString()) << name.toStdString();
    }
}

} // namespace pw::test
