#include "drive.h"
#include "env.h"
#include "installation.h"
#include "staff.h"
#include "window/identify.h"
#include "window/startup.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace pw {
namespace {

const QByteArray kJobs = "code,description,break after hours,break hours\r\n"
                         "40,\"Line Cook, grill\",5,0.5\r\n"
                         "50,Dishwasher,,\r\n";
// A spreadsheet's semicolon file with its byte-order mark and decimal commas.
const QByteArray kStaff = "\xEF\xBB\xBFnumber;first name;last name;password;role;jobs\n"
                          "31;Rosa;Diaz;4321;employee;40:13,5\n"
                          "32;Amir;Khan;20001;manager;40:15 50:11.25\n";

// Every row of the staff tables, to see that nothing changed.
QList<QVariantMap> staff_rows(const test::TestEnv& env) {
    return env.rows(env.empdb(), "select * from empinfo order by empid") +
           env.rows(env.empdb(), "select * from empjobs order by empid, jobcode") +
           env.rows(env.empdb(), "select * from jobs order by jobcode");
}

struct StaffFiles : ::testing::Test {
    test::TestEnv env;
    suite::LoadResult jobs(const QByteArray& csv) {
        return suite::load_jobs(env.db_access(), env.empdb(), csv);
    }
    suite::LoadResult staff(const QByteArray& csv) {
        return suite::load_staff(env.db_access(), env.empdb(), csv);
    }
};

TEST_F(StaffFiles, LoadedStaffIdentifyAndPunch) {
    EXPECT_EQ(jobs(kJobs).message, "2 jobs added, 0 updated");
    EXPECT_EQ(staff(kStaff).message, "2 employees added, 0 updated");
    EXPECT_EQ(env.rows(env.empdb(), "select jobdescription, breaktime, breakreduction from jobs "
                                    "where jobcode = 40")
                  .first(),
              (QVariantMap{{"jobdescription", "Line Cook, grill"},
                           {"breaktime", 5.0},
                           {"breakreduction", 0.5}}));

    Tclock win;
    connect_punch_screen(env.st, win);
    ASSERT_EQ(startup(env.st, win), Started::Running);
    win.Timer1->stop();
    test::type_login(win, "31", "4321");
    EXPECT_EQ(win.txtname->text(), "Rosa Diaz");
    env.dialogs.answers << "Yes";
    test::click(win.cmdpunchin);
    EXPECT_EQ(env.punches("tckempid = 31 and tckjobcode = 40 and tckpayrate = 13.5 and "
                          "tckstatus = 1")
                  .size(),
              1);
}

TEST_F(StaffFiles, ARefusedFileNamesLineAndColumnAndChangesNothing) {
    ASSERT_TRUE(jobs(kJobs).ok);
    ASSERT_TRUE(staff(kStaff).ok);
    const QList<QVariantMap> before = staff_rows(env);
    const QByteArray header = "number,first name,last name,password,role,jobs\n";
    // Each file's first row changes what is stored, so a half-made load would show.
    const QByteArray update = header + "31,Rosa,Diaz-Ortiz,5555,employee,40:14\n";
    const struct {
        bool staff;
        QByteArray csv;
        const char* refusal;
    } cases[] = {
        // staff
        {true, update + "33,Lee,Park,1,employee,\n33,Lee,Park,1,employee,\n",
         "line 4, column 1 (number): number 33 is also on line 3"},
        {true, update + "x1,Lee,Park,1,employee,\n",
         "line 3, column 1 (number): \"x1\" is not an employee number"},
        {true, update + "33,Lee,Park,12a4,employee,\n",
         "line 3, column 4 (password): the password is not 1 to 9 digits"},
        {true, update + "33,Lee,Park,1234567890,employee,\n",
         "line 3, column 4 (password): the password is not 1 to 9 digits"},
        {true, update + "33,Lee,Park,,employee,\n",
         "line 3, column 4 (password): a new employee needs a password"},
        {true, update + "33,Lee,Park,1,employee,99:10\n",
         "line 3, column 6 (jobs): job 99 is not in the jobs list"},
        {true, update + "33,Lee,Park,1,employee,40:ten\n",
         "line 3, column 6 (jobs): the rate of job 40 is not a number"},
        {true, update + "33,Lee,Park,1,employee,40\n",
         "line 3, column 6 (jobs): \"40\" is not code:rate"},
        {true, update + "33,Lee,Park,1,employee,40:9 40:10\n",
         "line 3, column 6 (jobs): job 40 is listed twice"},
        {true, update + "33,Lee,Park,1,employee\n", "line 3, column 6 (jobs): missing column"},
        {true, update + "33,Lee,Park,1,employee,,x\n",
         "line 3, column 7: more values than the header names"},
        {true, update + "33,Lee,Park,1,boss,\n",
         "line 3, column 5 (role): \"boss\" is not employee, manager or inactive"},
        {true, update + "33,Lee,Park,1,manager,\n",
         "line 3, column 4 (password): a manager's password is 20000 or more"},
        {true, update + "32,Amir,Khan,,employee,\n",
         "line 3, column 5 (role): an employee's password is below 20000"},
        {true, update + "33,\"Lee,Park,1,employee,\n", "line 3 ends inside a quoted value"},
        {true, "number,first name,last name,password,jobs\n31,Rosa,Diaz,1,\n",
         "line 1: the header has no column \"role\""},
        // jobs
        {false, "code,description,break after hours,break hours\n40,Grill,5,0.5\n40,Grill,5,1\n",
         "line 3, column 1 (code): job 40 is also on line 2"},
        {false, "code,description,break after hours,break hours\n40,Grill,5,0.5\n60,Bar,six,1\n",
         "line 3, column 3 (break after hours): \"six\" is not a number of hours"},
        {false, "code,description,break after hours,break hours\n40,Grill,5,0.5\n60,Bar,6,-1\n",
         "line 3, column 4 (break hours): \"-1\" is not a number of hours"},
        {false, "code,description,break hours\n40,Grill,5\n",
         "line 1: the header has no column \"break after hours\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refusal);
        const suite::LoadResult r = c.staff ? staff(c.csv) : jobs(c.csv);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.message.startsWith(c.refusal)) << r.message.toStdString();
        EXPECT_TRUE(r.message.endsWith("; nothing was loaded"));
        EXPECT_EQ(staff_rows(env), before);
    }
}

TEST(ListStaff, LoadsBackUnchanged) {
    test::TestEnv env(test::demo_club(QDate(2024, 1, 10)));
    const DbAccess& access = env.db_access();
    // Names a spreadsheet must quote, and an inactive manager.
    ASSERT_TRUE(suite::add_employee(access, env.empdb(), 120, "Jo, Jr.", "O\"Neil ", 30000, "0"));
    ASSERT_TRUE(suite::add_empjob(access, env.empdb(), 120, 20, 12.3456));
    const QList<QVariantMap> before = staff_rows(env);
    const QByteArray listed = suite::list_staff(access, env.empdb());
    EXPECT_TRUE(listed.contains("120,\"Jo, Jr.\",\"O\"\"Neil \",,inactive,20:12.3456\r\n"))
        << listed.toStdString();
    EXPECT_TRUE(listed.contains(",,manager,")); // Margaret Hale, 20000

    const suite::LoadResult r = suite::load_staff(access, env.empdb(), listed);
    EXPECT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(staff_rows(env), before);
    EXPECT_EQ(suite::list_staff(access, env.empdb()), listed);
}

// parvsetup as a club runs it: what it prints and its exit status.
struct Outcome {
    int status;
    QString out, err;
};
Outcome parvsetup(const QStringList& args) {
    QProcess p;
    p.start(PW_PARVSETUP, args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

TEST(Parvsetup, SaysWhatItDidAndStopsAtTheFirstFailure) {
    QTemporaryDir tmp;
    const QString root = tmp.path() + "/club";
    // A file where a folder must go cannot be made into one, not even by root.
    QFile(tmp.path() + "/file").open(QIODevice::WriteOnly);
    const Outcome failed = parvsetup({"--demo", tmp.path() + "/file/club"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err, "could not create " + tmp.path() + "/file/club/data/: Not a directory\n");

    const Outcome fresh = parvsetup({root});
    EXPECT_EQ(fresh.status, 0) << fresh.err.toStdString();
    EXPECT_TRUE(fresh.out.contains("created " + root + "/data/EMP.MDB\n"));
    EXPECT_TRUE(fresh.out.contains("The configuration password is the suite's default, \"zvt\""));
    const Outcome secret = parvsetup({"--config-password", "Gr33n", root});
    EXPECT_EQ(secret.status, 0);
    EXPECT_TRUE(secret.out.contains("kept " + root + "/data/EMP.MDB (exists"));
    EXPECT_FALSE(secret.out.contains("default"));
    EXPECT_EQ(suite::read_config_password(suite::open_installation(root)), "Gr33n");
    EXPECT_EQ(parvsetup({"--config-password", " ", root}).status, 2);
    // An earlier installer's CONFIG.MDB without a password gets the default, and says so.
    ASSERT_TRUE(suite::exec_sql({}, root + "/data/CONFIG.MDB", "update pr set plevel1 = null"));
    const Outcome none = parvsetup({root});
    EXPECT_TRUE(none.out.contains("set the suite's default configuration password (there was "
                                  "none) in " +
                                  root + "/data/CONFIG.MDB\n"));
    EXPECT_TRUE(none.out.contains("The configuration password is the suite's default"));

    // Staff files through the command line; a refusal exits 1.
    QFile bad(tmp.path() + "/staff.csv");
    bad.open(QIODevice::WriteOnly);
    bad.write("number,first name,last name,password,role,jobs\n7,A,B,1,employee,9:1\n");
    bad.close();
    const Outcome refused = parvsetup({"--staff", bad.fileName(), root});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "refused " + bad.fileName() +
                               ": line 2, column 6 (jobs): job 9 is not in the jobs list; nothing "
                               "was loaded\n");
    EXPECT_EQ(parvsetup({"--list-staff", root}).out,
              "number,first name,last name,password,role,jobs\r\n");
}

} // namespace
} // namespace pw
