#include "drive.h"
#include "editor/puncheditor.h"
#include "editor/punchgrids.h"
#include "installation.h"
#include "screens/helpview.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace pw {
namespace {

using test::kCancel;

// Employees 7 (Ann Lee, jobs 12 and 14) and 9 (Bob Ray, job 12); employee 5 has punches but
// no employee row. The range is May 2004, the shift limit 12.
struct Editor : ::testing::Test {
    test::TestEnv env;
    Station& st = env.st;
    std::unique_ptr<PunchEditor> ed;

    void SetUp() override {
        env.load();
        st.settings.shiftlimit = 12;
        const QString emp = env.empdb();
        ASSERT_TRUE(suite::add_employee(env.db_access(), emp, 7, "Ann", "Lee", 1234));
        ASSERT_TRUE(suite::add_employee(env.db_access(), emp, 9, "Bob", "Ray", 1234));
        ASSERT_TRUE(
            suite::add_employee(env.db_access(), emp, 11, "Cy", "Old", 1234, "0")); // inactive
        ASSERT_TRUE(suite::add_job(env.db_access(), emp, 12, "Bartender"));
        ASSERT_TRUE(suite::add_job(env.db_access(), emp, 14, "Banquet Server Night Shift"));
        ASSERT_TRUE(suite::add_empjob(env.db_access(), emp, 7, 12, 9.5));
        ASSERT_TRUE(suite::add_empjob(env.db_access(), emp, 7, 14, 11.25));
        ASSERT_TRUE(suite::add_empjob(env.db_access(), emp, 9, 12, 8));
    }

    // A punch of employee 7 on job 12 in May, closed with 8 hours unless told otherwise.
    void punch(int indate, int status, const QVariantMap& more = {}) {
        const QVariantMap v = test::fields(QString::asprintf(
            "empid=7 jobcode=12 status=%d indate=%d outdate=%d timein=08:00:00 adjtimein=08:00:00 "
            "timeout=16:00:00 adjtimeout=16:00:00 reghours=8 adjreghours=8",
            status, indate, indate));
        ASSERT_TRUE(env.add_punch(test::merged(v, more)));
    }

    void open(const QString& from = "20040501", const QString& to = "20040531") {
        env.dialogs.answers = QStringList{from, to};
        ed = std::make_unique<PunchEditor>(st);
        ed->open();
        ed->show();
        env.dialogs.clear();
    }
    static void choose(QComboBox* c, int i) {
        c->setCurrentIndex(i);
        emit c->activated(i);
    }
    // Lists everyone and chooses employee 7.
    void choose_ann() {
        ed->go();
        for (int r = 0; r < ed->Data1->rowCount(); ++r)
            if (ed->Data1->row(r).id == "7")
                ed->choose_employee(r);
    }
    int row_of(int indate) const {
        for (int r = 0; r < ed->Data2->rowCount(); ++r)
            if (ed->Data2->record(r).value("tckindate").toInt() == indate)
                return r;
        return -1;
    }
    QVariantMap stored(int indate) const {
        return env.punches("tckindate = " + QString::number(indate)).value(0);
    }
    void type(int k, const QString& text) { ed->txtpunch[k]->setText(text); }
    void type(std::initializer_list<std::pair<int, QString>> boxes) {
        for (const auto& [k, text] : boxes)
            type(k, text);
    }
};

TEST_F(Editor, OpensOnTheRangeListsPaintsByStatusAndKeepsTheListsOnAFailure) {
    punch(20040503, 1, {{"tckoutdate", 0}, {"tcktimeout", QVariant()}, {"tckreghours", 0}});
    punch(20040504, 2);
    punch(20040505, 3, {{"tckreghours", 0}});
    punch(20040506, 4);
    punch(20040507, 4, {{"tckreghours", 0}});
    punch(20040508, 2, {{"tckreghours", 13}});
    punch(20040509, 5);
    punch(20040610, 2); // outside the range
    punch(20040504, 5, {{"tckempid", 9}});
    punch(20040504, 2, {{"tckempid", 5}});
    open();
    EXPECT_EQ(ed->windowTitle(), "Punch Editor Date Range: 20040501 - 20040531");
    EXPECT_EQ(ed->Combo1->currentText(), ""); // none chosen
    EXPECT_EQ(ed->Combo1->itemText(0), "0 - All Jobs");
    EXPECT_FALSE(ed->fraedit1->isVisible());
    ed->cmdgo->click();
    ASSERT_EQ(ed->Data1->rowCount(), 2); // 9 has only an exported punch
    EXPECT_EQ(ed->Data1->row(0).id, "5");
    EXPECT_EQ(ed->Data1->row(0).name, "REDO");
    EXPECT_EQ(ed->Data1->data(ed->Data1->index(1, 1)).toString(), "Ann Lee");

    ed->choose_employee(1);
    EXPECT_TRUE(ed->grid2->isVisible() && ed->fraedit1->isVisible());
    EXPECT_TRUE(ed->grid2->isColumnHidden(PunchGrid::kStatusColumn));
    ASSERT_EQ(ed->Data2->rowCount(), 6);
    // Red: no hours as punched (open ones too) or over the limit; green: approved.
    QStringList painted;
    for (int day = 20040503; day <= 20040508; ++day)
        painted << ed->Data2->styles(row_of(day)).join('+');
    EXPECT_EQ(painted, QStringList({kForeRed, "", kForeRed, kBackGreen, kForeRed + "+" + kBackGreen,
                                    kForeRed}));
    const QModelIndex cell = ed->Data2->index(row_of(20040507), 4);
    EXPECT_EQ(cell.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
    EXPECT_EQ(cell.data(Qt::BackgroundRole).value<QBrush>().color(), QColor(0, 255, 0));
    EXPECT_EQ(ed->Data2->index(row_of(20040503), 2).data().toString(), "0");
    EXPECT_EQ(ed->txttotalhours->text(), "48.00"); // six punches of 8 adjusted hours

    // A job filter lists only that job's punches; "0 - All Jobs" lists all again.
    punch(20040511, 2, {{"tckjobcode", 14}, {"tckempid", 9}});
    choose(ed->Combo1, ed->Combo1->findText("14 ", Qt::MatchStartsWith));
    ASSERT_EQ(ed->Data1->rowCount(), 1);
    EXPECT_EQ(ed->Data1->row(0).name, "Bob Ray");
    EXPECT_FALSE(ed->grid2->isVisible() || ed->fraedit1->isVisible());
    choose(ed->Combo1, 0);
    EXPECT_EQ(ed->Data1->rowCount(), 3);

    // A database failure shows its code and changes nothing shown.
    ASSERT_TRUE(remove_database(env.punchdb(), env.db_access()));
    env.dialogs.clear();
    ed->go();
    EXPECT_EQ(std::tuple(test::code_shown(env.dialogs), ed->Data1->rowCount()), std::tuple(53, 3));
    ed->choose_employee(1);
    EXPECT_EQ(env.dialogs.boxes.size(), 2);
    EXPECT_FALSE(ed->grid2->isVisible());

    env.dialogs.answers = QStringList{kCancel};
    ed->cmdselectdates->click();
    EXPECT_EQ(ed->windowTitle(), "Punch Editor Date Range: 0 - 0");
}

TEST_F(Editor, ChoosingAPunchFillsTheBoxesWhichCompleteOnEnterAndCheckOnLeaving) {
    punch(20040503, 1, {{"tckoutdate", 0}, {"tckadjtimeout", QVariant()}});
    punch(20040505, 3, {{"tcktips", 12.5}, {"tckadjreason", "Open more than 24 hours"}});
    punch(20040504, 2, {{"tckempid", 9}, {"tckadjreghours", QVariant()}});
    open();
    ed->go();
    ed->choose_employee(1); // Bob: his only punch has no adjusted hours
    EXPECT_EQ(ed->txttotalhours->text(), ".00");
    choose_ann();
    ed->choose_punch(row_of(20040505));
    const QStringList want{"20040505", "08:00:00", "20040505", "16:00:00",
                           "8",        "0",        "0",        "0",
                           "0",        "0",        "12.5",     "Open more than 24 hours"};
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(ed->txtpunch[k]->text(), want[k]) << k;
    EXPECT_EQ(ed->helpwindow1->text(), "Bad Punch - total hours may exceed the shift limit");
    EXPECT_TRUE(ed->cmdsave->isVisible());
    ed->choose_punch(row_of(20040503));
    EXPECT_EQ(ed->txtpunch[3]->text(), "");
    EXPECT_EQ(ed->helpwindow1->text(), "Employee has not punched out yet");

    // The boxes show their focus, complete on Enter and check on leaving.
    ed->choose_punch(row_of(20040505));
    ed->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(ed.get()));
    auto base = [](QLineEdit* e) { return e->palette().color(QPalette::Base); };

    QLineEdit* indate = ed->txtpunch[0];
    indate->setFocus();
    EXPECT_EQ(base(indate), QColor(255, 255, 0));
    EXPECT_EQ(ed->helpwindow1->text(),
              "Type the date in YYYYMMDD format, or enter MMDD by itself.");
    indate->setText("0505");
    QTest::keyClick(indate, Qt::Key_Return);
    EXPECT_EQ(indate->text(), "20040505"); // the clock's year in front
    EXPECT_EQ(base(indate), QColor(255, 255, 255));

    QLineEdit* in = ed->txtpunch[1];
    ASSERT_TRUE(in->hasFocus());
    in->clear();
    QTest::keyClicks(in, "0830");
    QTest::keyClick(in, Qt::Key_Return);
    EXPECT_EQ(in->text(), "08:30:00");
    EXPECT_TRUE(ed->txtpunch[2]->hasFocus());
    EXPECT_EQ(ed->txtpunch[4]->text(), "7.5"); // recomputed on leaving: 08:30 to 16:00

    QLineEdit* out = ed->txtpunch[3];
    out->setFocus();
    out->setText("8");
    env.dialogs.clear();
    QTest::keyClick(out, Qt::Key_Return);
    EXPECT_EQ(out->text(), "8");
    EXPECT_TRUE(ed->txtpunch[4]->hasFocus());
    EXPECT_EQ(env.dialogs.texts(),
              QStringList{"Invalid Time OUT entry. Must be in HH:MN:SC format"});
    EXPECT_EQ(ed->txtpunch[4]->text(), "7.5"); // nothing recomputed from the bad time

    // Another window coming to the front (a box of this window's own) checks nothing.
    env.dialogs.clear();
    ed->txtpunch[1]->clear();
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(ed->txtpunch[1], &away);
    EXPECT_TRUE(env.dialogs.boxes.isEmpty());
}

TEST_F(Editor, SaveTakesTheReasonAndRefusesAnOpenPunchABadOutDateAndOneChangedElsewhere) {
    punch(20040503, 1, {{"tckoutdate", 0}, {"tckadjtimeout", QVariant()}});
    punch(20040504, 2);
    punch(20040505, 3);
    punch(20040506, 2);
    open();
    choose_ann();

    ed->choose_punch(row_of(20040504));
    const QVariantMap before = stored(20040504);
    type({{1, "09:00:00"}, {2, "20040505"}, {4, "7"}, {10, "3.5"}, {11, "Late start"}});
    env.dialogs.clear();
    ed->cmdsave->click();
    EXPECT_EQ(env.dialogs.texts(), QStringList{"1 punch changed."});
    // Column by column: what the boxes hold, approved; the rest as it was.
    QVariantMap changed{{"tckadjtimein", "09:00:00"},   {"tckoutdate", 20040505},
                        {"tckadjreghours", 7},          {"tcktips", 3.5},
                        {"tckadjreason", "Late start"}, {"tckstatus", 4}};
    const QVariantMap after = stored(20040504);
    for (auto it = before.begin(); it != before.end(); ++it)
        EXPECT_EQ(after[it.key()].toString(), changed.value(it.key(), it.value()).toString())
            << it.key().toStdString();
    // The grid shows what was stored.
    for (const QString& key : changed.keys())
        EXPECT_EQ(ed->Data2->record(row_of(20040504)).value(key).toString(), after[key].toString());
    EXPECT_EQ(ed->txttotalhours->text(), "31.00");
    EXPECT_EQ(ed->Data2->styles(row_of(20040504)), QStringList{kBackGreen});

    ed->choose_punch(row_of(20040505));
    ed->optreason[2]->click();
    ed->txtpunch[11]->clear(); // the option's caption is taken even when the box is emptied
    ed->cmdsave->click();
    EXPECT_EQ(stored(20040505)["tckadjreason"], "Reallocate Hours");
    EXPECT_FALSE(ed->optreason[2]->isChecked());

    ed->choose_punch(row_of(20040506));
    env.dialogs.clear();
    ed->cmdsave->click();
    EXPECT_EQ(stored(20040506)["tckadjreason"], "MGR APPROVED");
    EXPECT_EQ(env.dialogs.texts(), QStringList{"1 punch changed."});

    ed->choose_punch(row_of(20040503));
    ed->cmdsave->click();
    EXPECT_EQ(env.dialogs.last().text, "This is an open punch record; it cannot be saved \n"
                                       "without a valid punch out date and time.");

    // The out time typed, the out date not a date on or after the in date: refused, naming
    // the box.
    type(3, "14:00:00");
    for (const char* outdate : {"0", "", "20040502", "20040231", "2004050", "2004o503"}) {
        env.dialogs.clear();
        type(2, outdate);
        ed->cmdsave->click();
        EXPECT_EQ(env.dialogs.texts(),
                  QStringList{"Invalid Punch Date - OUT entry. Must be a date in YYYYMMDD format, "
                              "not before the Punch Date - IN."})
            << outdate;
        EXPECT_EQ(stored(20040503)["tckstatus"].toInt(), 1);
    }
    type(2, "20040503");
    ed->cmdsave->click();
    EXPECT_EQ(stored(20040503)["tckoutdate"].toString(), "20040503");
    EXPECT_EQ(stored(20040503)["tckadjtimeout"], "14:00:00");

    // Punched out at another station after it was listed: the older view is not written.
    ed->choose_punch(row_of(20040504));
    env.exec(env.punchdb(), "update punch set tckstatus = 3, tckadjtimeout = '17:00:00' "
                            "where tckindate = 20040504");
    ed->cmdsave->click();
    EXPECT_EQ(test::code_shown(env.dialogs), 3197);
    EXPECT_EQ(stored(20040504)["tckadjtimeout"], "17:00:00");

    // Emptied boxes never overwrite the punch chosen before.
    ed->clearedit();
    ed->cmdsave->click();
    EXPECT_EQ(stored(20040504)["tckstatus"].toInt(), 3);
}

TEST_F(Editor, HoursAdjustmentIsAskedOncePerPunchAndOutBeforeIn) {
    open();
    const QString question = "Is this an hours adjustment without time settings?";
    auto fill = [&](const QString& in, const QString& out) { // a new punch of Ann's
        ed->cmdcreate->click();
        choose(ed->cboempnumber, ed->cboempnumber->findText("7 ", Qt::MatchStartsWith));
        choose(ed->cboempjobs, 0);
        type({{0, "20040524"}, {1, in}, {2, "20040524"}, {3, out}, {4, "5"}, {11, "Hours"}});
    };
    for (const bool yes : {false, true}) {
        fill("00:00:00", "00:00:00");
        test::answer(env.dialogs, {yes ? "Yes" : "No"});
        ed->calchours();
        ed->calchours(); // the next box left: no second question
        EXPECT_EQ(env.dialogs.texts(), QStringList{question});
        EXPECT_EQ(env.dialogs.last().title, "Manager Override?");
        EXPECT_EQ(ed->txtpunch[4]->text(), "5"); // hours are left to the manager
        // Answered No, the times are missing; answered Yes, the hours are saved as typed.
        ed->cmdsavenew->click();
        EXPECT_EQ(env.dialogs.last().text, yes ? question : "A required value is missing.");
        EXPECT_EQ(stored(20040524)["tckadjreghours"].toString(), yes ? "5" : "");
    }

    fill("16:00:00", "08:00:00");
    env.dialogs.clear();
    ed->cmdsavenew->click(); // out before in: the hours stay as typed
    EXPECT_EQ(env.dialogs.texts(), QStringList({"Clock out time cannot be before clock in time\n"
                                                "on the same date.",
                                                "A required value is missing."}));
    EXPECT_EQ(ed->txtpunch[4]->text(), "5");
}

// 01:50 in the first pass of New York's repeated hour to 01:10 in the second, as the station
// kept them: the editor shows, recomputes and saves 20 minutes, not "out before in".
TEST_F(Editor, KeptOffsetsTellThePassesOfTheRepeatedHour) {
    const test::ZoneScope zone("America/New_York");
    punch(20261101, 2, test::fields("timein=01:50:00 adjtimein=01:50:00 adjtimeout=01:10:00"));
    ASSERT_TRUE(env.exec(env.punchdb(),
                         "insert into punchzone select tckempid, tckindate, "
                         "tcktimein, tckjobcode, tcknode, -14400, -18000 from punch"));
    open("20261101", "20261101");
    choose_ann();
    ed->choose_punch(row_of(20261101));
    type(4, "1");
    ed->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(ed.get()));
    ed->txtpunch[1]->setFocus();
    QTest::keyClick(ed->txtpunch[1], Qt::Key_Return); // leaving the box recomputes
    EXPECT_EQ(ed->txtpunch[4]->text(), "0.33");
    env.dialogs.clear();
    ed->cmdsave->click();
    EXPECT_EQ(env.dialogs.texts(), QStringList{"1 punch changed."});
    EXPECT_EQ(stored(20261101)["tckadjreghours"].toDouble(), 0.33);
}

TEST_F(Editor, NewPunchChecksInOrderThenAddsOneApprovedRow) {
    ASSERT_TRUE(
        suite::add_employee(env.db_access(), env.empdb(), 13, "Di", "Fox", 1234)); // no jobs
    open();
    ed->cmdcreate->click();
    EXPECT_TRUE(ed->fraedit1->isVisible() && ed->cmdsavenew->isVisible() &&
                ed->cmdcancelnew->isVisible() && ed->cboempnumber->isVisible());
    EXPECT_FALSE(ed->cmdokayall->isVisible() || ed->cmdsave->isVisible() || ed->grid1->isVisible());
    EXPECT_EQ(ed->txtpunch[0]->text() + ed->txtpunch[2]->text(), "2004050120040501");
    EXPECT_EQ(ed->cboempnumber->count(), 3); // by last name, inactive Cy Old left out
    EXPECT_EQ(ed->cboempnumber->itemText(0) + "|" + ed->cboempnumber->currentText(),
              "13 - Fox, Di|");

    auto save = [&](const QStringList& answers) {
        test::answer(env.dialogs, answers);
        ed->cmdsavenew->click();
        return env.dialogs.texts();
    };
    EXPECT_EQ(save({}), QStringList{"You must select an employee and his/her job."});
    choose(ed->cboempnumber, ed->cboempnumber->findText("7 ", Qt::MatchStartsWith));
    EXPECT_EQ(ed->cboempjobs->itemText(1), "14 - Banquet Server Night Shift");
    EXPECT_EQ(save({}), QStringList{"You must select a job for this employee."});

    // Another employee takes nothing of the job chosen before: none of his, no save.
    choose(ed->cboempjobs, 1);
    for (const char* other : {"13 ", "9 "}) {
        choose(ed->cboempnumber, ed->cboempnumber->findText(other, Qt::MatchStartsWith));
        EXPECT_EQ(ed->cboempjobs->currentText(), "");
        EXPECT_EQ(std::pair(ed->job_description, ed->pay_rate), std::pair(QString(), 0.0));
        EXPECT_EQ(save({}), QStringList{"You must select a job for this employee."});
    }
    EXPECT_EQ(ed->cboempjobs->count(), 1); // Bob's one job
    choose(ed->cboempnumber, ed->cboempnumber->findText("7 ", Qt::MatchStartsWith));
    choose(ed->cboempjobs, 1);
    type(0, "0");
    EXPECT_EQ(save({}), QStringList{"Invalid Punch Date - IN entry. Must be a date in YYYYMMDD "
                                    "format."});
    type(0, "20040501");

    const QString before = "Clock out time cannot be before clock in time\non the same date.";
    type({{1, "16:00:00"}, {3, "08:00:00"}});
    EXPECT_EQ(save({}), QStringList({before, "You must insert a reason for the punch record."}));
    EXPECT_EQ(env.dialogs.last().title, "Missing reason");
    type(11, "Forgot");
    EXPECT_EQ(save({}), QStringList({before, "A required value is missing."}));

    // Hours only: answered No, negative hours are refused; answered Yes they may be kept.
    type({{1, "00:30:00"}, {3, "00:00:00"}, {4, "-2"}, {5, "-1"}});
    EXPECT_EQ(save({"No"}).last(), "Calculated hours is less than zero. Redo.");
    type(1, "00:00:00");
    EXPECT_EQ(save({"Yes", "No", "Yes"}),
              QStringList({"Is this an hours adjustment without time settings?",
                           "Regular Hours is less than zero.Save the record anyway?",
                           "Regular Overtime Hours is less than zero.Save the record anyway?"}));
    // The job description is cut to 20 characters; the punched times stay NULL.
    const QVariantMap r = stored(20040501);
    QStringList got;
    for (const char* c :
         {"tckempid", "tckjobcode", "tckjobdescription", "tckpayrate", "tckoutdate", "tckadjtimein",
          "tckadjreghours", "tckothours", "tckadjreason", "tckstatus"})
        got << r[c].toString();
    EXPECT_EQ(got, QStringList({"7", "14", "Banquet Server Night", "11.25", "20040501", "00:00:00",
                                "0", "-1", "Forgot", "4"}));
    EXPECT_TRUE(r["tcktimein"].isNull());
    EXPECT_EQ(ed->txtpunch[0]->text(), "");

    // The next punch starts from the button; extra hours beside regular hours need the
    // manager's word.
    ed->cmdnewpunch->click();
    choose(ed->cboempnumber, ed->cboempnumber->findText("7 ", Qt::MatchStartsWith));
    choose(ed->cboempjobs, 0);
    type(4, "-1"); // the answer Yes went with the punch saved
    EXPECT_EQ(save({"No"}).last(), "Calculated hours is less than zero. Redo.");
    auto fill = [&] {
        type({{0, "20040502"}, {1, "08:00:00"}, {2, "20040502"}, {3, "16:00:00"}});
        type({{8, "2"}, {11, "Vacation"}});
    };
    fill();
    EXPECT_EQ(save({"No"}), QStringList{"Note: Extra hours in addition to regular hours have "
                                        "been allocated.\nClick YES to verify this is correct; "
                                        "click NO to cancel."});
    EXPECT_TRUE(stored(20040502).isEmpty());
    EXPECT_EQ(save({"Yes"}).size(), 1);
    const QVariantMap vacation = stored(20040502); // no hours as punched
    EXPECT_EQ(vacation["tckvachours"].toString() + vacation["tckadjreghours"].toString() +
                  vacation["tckreghours"].toString(),
              "280");

    // Cancel empties the boxes only; SAVE new then saves nothing from the hidden lists.
    fill();
    ed->cmdcancelnew->click();
    EXPECT_EQ(ed->txtpunch[11]->text(), "");
    EXPECT_FALSE(ed->cboempnumber->isVisible());
    EXPECT_TRUE(ed->cmdsavenew->isVisible() && ed->cmdcancelnew->isVisible());
    fill();
    EXPECT_EQ(save({"Yes"}), QStringList());
    EXPECT_EQ(env.scalar(env.punchdb(), "select count(*) from punch").toInt(), 2);
}

TEST_F(Editor, ApproveAllAsksOnlyAboutBadPunches) {
    punch(20040503, 1, {{"tckoutdate", 0}});
    punch(20040504, 2);
    punch(20040506, 4, {{"tckadjreason", "Late"}});
    open();
    choose_ann();
    ed->cmdokayall->click();
    EXPECT_EQ(env.dialogs.texts(), QStringList{"1 punch changed."});
    EXPECT_EQ(env.punches("tckstatus = 4 and tckadjreason = 'MGR APPROVED'").size(), 1);
    EXPECT_EQ(stored(20040503)["tckstatus"].toString() +
                  stored(20040506)["tckadjreason"].toString(),
              "1Late");
    EXPECT_FALSE(ed->grid2->isVisible() || !ed->txttotalhours->text().isEmpty());

    punch(20040508, 3);
    punch(20040509, 2);
    choose_ann();
    env.dialogs.answers = QStringList{"No"};
    ed->cmdokayall->click();
    EXPECT_EQ(env.dialogs.last().title, "Bad Punches Exist");
    EXPECT_EQ(env.punches("tckindate >= 20040508 and tckstatus in (2, 3)").size(), 2);
    EXPECT_TRUE(ed->grid2->isVisible());

    env.dialogs.answers = QStringList{"Yes"};
    ed->cmdokayall->click();
    EXPECT_EQ(env.punches("tckindate >= 20040508 and tckstatus = 4").size(), 2);
    EXPECT_EQ(env.dialogs.last().text, "2 punches changed.");
}

TEST_F(Editor, HelpStartsTheViewerAndExitLeavesNoDatabaseOpen) {
    punch(20040504, 2);
    env.dialogs.answers = QStringList{"20040501", "20040531"};
    st.who.manager = 1;
    QPointer<PunchEditor> w = open_punch_editor(st, nullptr);
    ASSERT_TRUE(w && w->isVisible());
    w->go();
    w->choose_employee(0);
    w->choose_punch(0);
    // Another station punches in meanwhile: nothing of the lists holds it up.
    EXPECT_TRUE(env.exec(env.punchdb(), "insert into punch (tckempid, tckindate, tckstatus) "
                                        "values (9, 20040524, 1)"));
    w->cmdhelp->click();
    ASSERT_TRUE(find_help_view());
    EXPECT_TRUE(find_help_view()->windowTitle().endsWith("tchelp2.txt"));
    EXPECT_EQ(find_help_view()->parentWidget(), w.data());
    w->cmdexit->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
    // A server's connections may stay, idle: no statement or transaction left open.
    for (const QString& name : QSqlDatabase::connectionNames())
        EXPECT_FALSE(name.startsWith("pw-db-") && env.server.isEmpty()) << name.toStdString();
    EXPECT_EQ(env.server.isEmpty() ||
                  env.scalar(env.punchdb(), "select count(*) from pg_stat_activity where datname "
                                            "= current_database() and state <> 'idle' and pid <> "
                                            "pg_backend_pid()")
                          .toInt() == 0,
              true);
}

PunchBoxes times(const QString& indate, const QString& in, const QString& outdate,
                 const QString& out) {
    PunchBoxes b;
    b[box::indate] = indate;
    b[box::adjtimein] = in;
    b[box::outdate] = outdate;
    b[box::adjtimeout] = out;
    return b;
}

TEST(CalcHours, WorkedExamplesStopsAndTimeCompletion) {
    const QString d = "20040524", next = "20040525", fall = "20261101"; // fall: clocks go back
    const char *const NY = "America/New_York", *const BE = "Europe/Berlin";
    constexpr int ET = -4 * 3600, ST = -5 * 3600; // New York's offsets, summer and winter
    using enum CalcOutcome;
    const struct {
        PunchBoxes boxes;
        int limit;
        CalcOutcome outcome;
        QString hours;
        double breaktime = 0, cut = 0; // the punch's break rule
        const char* zone = nullptr;
        PunchOffsets kept = {};
    } cases[] = {
        // Shift limit 12.
        {times(d, "22:00:00", next, "06:20:00"), 12, Hours, "8.33"},
        {times(d, "20:00:00", next, "08:00:00"), 12, Hours, "0"}, // limit reached
        {times(d, "06:00:00", d, "21:00:00"), 12, Hours, "15"},   // same day: no limit
        // As the clock pays: no limit at 0, more than 24 hours pays 0, the break rule.
        {times(d, "22:00:00", "20040526", "06:00:00"), 99, Hours, "0"},
        {times(d, "22:00:00", next, "06:20:00"), 0, Hours, "8.33"},
        {times(d, "08:00:00", d, "16:30:00"), 0, Hours, "8.5"},
        {times(d, "13:45:00", d, "22:00:00"), 0, Hours, "7.75", 6, 0.5},
        // Midnight is an ordinary start; only both times at 00:00 ask.
        {times(d, "00:00:00", d, "08:00:00"), 0, Hours, "8"},
        {times(d, "00:30:00", d, "08:00:00"), 0, Hours, "7.5"},
        {times(d, "00:00:00", d, "00:00:00"), 0, AskHoursOnly, ""},
        // Real time across the nights that change the clocks.
        {times("20261031", "22:00:00", fall, "06:00:00"), 0, Hours, "9", 0, 0, NY},
        {times("20260328", "22:00:00", "20260329", "06:00:00"), 0, Hours, "7", 0, 0, BE},
        {times(fall, "01:30:00", fall, "01:45:00"), 0, Hours, "1.25", 0, 0, NY, {ET, ST}},
        {times(fall, "01:50:00", fall, "01:10:00"), 0, Hours, "0.33", 0, 0, NY, {ET, ST}},
        // Stops.
        {times("0", "08:00:00", d, "16:00:00"), 12, NoDates, ""},
        {times(d, "08:30:00", d, "08:15:00"), 12, OutBeforeIn, ""},
        {times(next, "08:00:00", d, "16:00:00"), 12, OutDateEarlier, ".00"},
    };
    for (const auto& c : cases) {
        const test::ZoneScope zone(c.zone);
        const CalcResult r = calc_hours(c.boxes, c.limit, c.breaktime, c.cut, c.kept);
        const std::string what =
            (c.boxes[1] + " " + c.boxes[3] + " limit " + QString::number(c.limit)).toStdString();
        EXPECT_EQ(r.outcome, c.outcome) << what;
        EXPECT_EQ(r.hours_text, c.hours) << what;
    }
    // "typed>completed"
    for (const QString c : {"08>08:00:00", "830>08:30:00", "0830>08:30:00", "08:30>08:30:00",
                            "083015>08:30:15", "8>8", ">", "08:30:0>08:30:0", "08:30:00>08:30:00"})
        EXPECT_EQ(complete_punch_time(c.section('>', 0, 0)), c.section('>', 1)) << c.toStdString();

    EXPECT_TRUE(time_format_ok("99:99:")); // only the colons count
    EXPECT_FALSE(time_format_ok("8:30:00"));
    EXPECT_EQ(job_item_description("12 - Bar-back"), "Bar-back");
}

} // namespace
} // namespace pw
