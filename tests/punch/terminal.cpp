#include "terminal.h"

#include "punch/identify.h"
#include "schema.h"
#include "station/settings.h"
#include "station/startup.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace pw::test {

Terminal::Terminal(suite::Options options)
    : env(std::move(options)) {
    EXPECT_TRUE(suite::add_employee(env.empdb(), 9, "Ann", "Lee", 1));
    EXPECT_TRUE(suite::add_job(env.empdb(), 10, "Bartender"));
    EXPECT_TRUE(suite::add_job(env.empdb(), 20, "Cook"));
    EXPECT_TRUE(suite::add_empjob(env.empdb(), 9, 10, 8.25));
    EXPECT_TRUE(suite::add_empjob(env.empdb(), 9, 20, 9.5));
}

void Terminal::start() {
    connect_punch_screen(env.st, win);
    ASSERT_TRUE(startup(env.st, win));
    win.Timer1->stop();
}

void Terminal::login(const QString& number, const QString& password) {
    type_login(win, number, password);
}

void type_login(Tclock& win, const QString& number, const QString& password) {
    auto* id = win.findChild<QLineEdit*>("txtempid");
    auto* pw = win.findChild<QLineEdit*>("txtpassword");
    QTest::keyClicks(id, number);
    QTest::keyClick(id, Qt::Key_Return);
    QTest::keyClicks(pw, password);
    QTest::keyClick(pw, Qt::Key_Return);
}

Peer::Peer(const TestEnv& env, Clock& clock, Printers& printers)
    : programs(env.inst.station)
    , st(Platform{dialogs, clock, printers, programs, files}, env.inst.station) {
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

void Terminal::click(const char* name) {
    QTest::mouseClick(button(name), Qt::LeftButton);
}

QStringList Terminal::lines() {
    QStringList out;
    auto* list = win.findChild<QListWidget*>("lstjob");
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QList<QVariantMap> Terminal::punches() const {
    return env.rows(env.punchdb(), "select * from punch order by rowid");
}

QStringList Terminal::log() const {
    const QString text = QString::fromUtf8(env.read_file(env.data("tclog.clk")));
    QStringList out;
    for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts))
        out << line + "\r\n";
    return out;
}

void Terminal::open_punch(const QVariantMap& values) {
    QVariantMap row = {{"tckempid", 9},
                       {"tckjobcode", 10},
                       {"tckjobdescription", "Bartender"},
                       {"tckpayrate", 8.25},
                       {"tckindate", 20040524},
                       {"tcktimein", "08:00:00"},
                       {"tckadjtimein", "08:00:00"},
                       {"tckstatus", 1}};
    for (auto it = values.begin(); it != values.end(); ++it)
        row[it.key()] = it.value();
    ASSERT_TRUE(env.add_punch(row));
}

void Terminal::worked(int indate, double adjreghours, double employee) {
    ASSERT_TRUE(env.add_punch({{"tckempid", employee},
                               {"tckjobcode", 20},
                               {"tckindate", indate},
                               {"tckadjreghours", adjreghours},
                               {"tckstatus", 2}}));
}

void expect_punch(const QVariantMap& row, const QVariantMap& want) {
    static const QStringList text_columns = {"tckjobdescription", "tcktimein",    "tcktimeout",
                                             "tckadjreason",      "tckadjtimein", "tckadjtimeout",
                                             "tckcomment",        "tckexport"};
    for (const QString& name : suite::punch_columns()) {
        const QVariant got = row.value(name);
        const QVariant expected = want.contains(name)           ? want.value(name)
                                  : text_columns.contains(name) ? QVariant()
                                                                : QVariant(0);
        if (expected.isNull()) {
            EXPECT_TRUE(got.isNull())
                << name.toStdString() << " = " << got.toString().toStdString();
        } else if (expected.typeId() == QMetaType::QString) {
            EXPECT_EQ(got.toString(), expected.toString()) << name.toStdString();
        } else {
            EXPECT_FALSE(got.isNull()) << name.toStdString();
            EXPECT_DOUBLE_EQ(got.toDouble(), expected.toDouble()) << name.toStdString();
        }
    }
}

} // namespace pw::test
