#include "config/configuration.h"
#include "config/configwindow.h"
#include "config/purge.h"
#include "drive.h"
#include "screens/helpview.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace pw {
namespace {

struct Config : ::testing::Test {
    test::TestEnv env;
    std::unique_ptr<ConfigWindow> win;
    QString ini;

    void SetUp() override {
        env.load();
        ini = env.station_file("tclock.ini");
    }
    void open() {
        win = std::make_unique<ConfigWindow>(env.st);
        win->show();
        win->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(win.get()));
    }
    QLineEdit* box(int i) const { return win->Text1[i]; }
    void type(int i, const QString& text) {
        box(i)->setFocus();
        box(i)->selectAll();
        QTest::keyClick(box(i), Qt::Key_Delete);
        QTest::keyClicks(box(i), text);
    }
    QVariantMap pr() const { return env.rows(env.configdb(), "select * from pr").first(); }
    // Clicks a row of the printer list.
    void pick(int row) {
        QTest::mouseClick(win->List1->viewport(), Qt::LeftButton, {},
                          win->List1->visualItemRect(win->List1->item(row)).center());
    }
    static QColor base(QLineEdit* e) { return e->palette().color(QPalette::Base); }
};

TEST_F(Config, OpensWithTheSettingsLoadedAgainFocusColoursAndThePrinterList) {
    ASSERT_TRUE(env.exec(env.configdb(), "update pr set nextprdate = 20040531, shiftlimit = 12, "
                                         "reason2 = 'Break', reason3 = null, wwstartday = 0"));
    env.write_file(ini, "-1 , 2 , 1 \r\n");
    open();
    // Loaded again on opening; the week start day as saved.
    QStringList shown;
    for (const int i : {0, 1, 4, 5, 7, 8, 12})
        shown << box(i)->text();
    EXPECT_EQ(shown, QStringList({"20040531", "12", "-1", "2", "Break", "Reallocate Hours", "0"}));
    EXPECT_TRUE(win->chktclockmode->isChecked());
    QListWidget* list = win->List1;
    QLabel* note = win->lblnoprinter;
    EXPECT_TRUE(note->isVisible() && !list->isVisible());
    // Save never writes the pay period's end: it is not offered for editing.
    EXPECT_TRUE(box(0)->isReadOnly() && box(0)->focusPolicy() == Qt::NoFocus);

    // Yellow while in a box; the printer list over box 4, "No Printer" first.
    box(1)->setFocus();
    box(4)->setFocus();
    EXPECT_EQ(QList({base(box(1)), base(box(4))}),
              QList({QColor(255, 255, 255), QColor(255, 255, 0)}));
    ASSERT_TRUE(list->isVisible());
    EXPECT_EQ(test::item_texts(list), QStringList({"No Printer", "0-Receipt", "1-Office"}));
    pick(0);
    EXPECT_EQ(box(4)->text(), "-1");
    EXPECT_TRUE(note->isVisible() && !list->isVisible());
    box(4)->setFocus();
    pick(2);
    EXPECT_EQ(box(4)->text(), "1");
    EXPECT_FALSE(note->isVisible());

    test::click(win->cmdhelp);
    ASSERT_TRUE(find_help_view());
    EXPECT_TRUE(find_help_view()->windowTitle().endsWith("tclock1.txt"));
    test::click(win->cmdexit);
    EXPECT_FALSE(win->isVisible());
}

TEST_F(Config, SaveWritesPrTheSettingsAndTclockIni) {
    open();
    // Box 0 is shown, never saved; box 7 emptied is saved as its default and shown again.
    const std::pair<int, const char*> typed[] = {{0, "20991231"}, {1, "10"}, {2, "15"},
                                                 {3, "6"},        {5, "2"},  {6, "Late again"},
                                                 {7, ""},         {12, "8"}};
    for (const auto& [i, text] : typed)
        type(i, text);
    win->chktclockmode->setChecked(true);
    box(4)->setFocus();
    pick(0); // "No Printer"
    test::click(win->cmdsave);

    EXPECT_TRUE(env.dialogs.boxes.isEmpty());
    QStringList saved;
    for (const char* column : {"nextprdate", "shiftlimit", "inrounding", "outrounding", "reason1",
                               "reason2", "reason6", "wwstartday"})
        saved << pr()[column].toString();
    EXPECT_EQ(saved, QStringList({"0", "10", "15", "6", "Late again", "New punch created",
                                  "Added hours", "0"}));
    EXPECT_EQ(box(7)->text() + "|" + box(12)->text(), "New punch created|0");

    const Settings& s = env.st.settings;
    EXPECT_EQ(std::tuple(s.shiftlimit, s.inrounding, s.outrounding, s.wwstartday),
              std::tuple(10, 15, 6, 0));
    EXPECT_EQ(s.reasons[1], "Forgot to punch in"); // taken at the next load

    EXPECT_EQ(env.read_file(ini), "-1 , 2 , 1 \r\n");
    EXPECT_TRUE(win->isVisible());

    // A rounding unit above an hour is refused, naming its box; 60 is accepted.
    for (const int i : {2, 3}) {
        env.dialogs.clear();
        type(i, "61");
        type(1, "11");
        test::click(win->cmdsave);
        EXPECT_EQ(env.dialogs.texts(), QStringList{QString(i == 2 ? "Punch IN" : "Punch OUT") +
                                                   " rounding (nearest X minutes) cannot be "
                                                   "more than 60."});
        EXPECT_TRUE(box(i)->hasFocus());
        EXPECT_EQ(pr()["shiftlimit"].toInt(), 10);
        type(i, "60");
    }
    env.dialogs.clear();
    test::click(win->cmdsave);
    EXPECT_TRUE(env.dialogs.boxes.isEmpty());
    EXPECT_EQ(std::tuple(pr()["inrounding"].toInt(), pr()["outrounding"].toInt()),
              std::tuple(60, 60));

    // Without the suite nothing is saved.
    ASSERT_TRUE(QFile::remove(env.data("parv.exe")));
    type(1, "20");
    type(4, "1");
    test::click(win->cmdsave);
    EXPECT_EQ(env.dialogs.titles(), QStringList{"Punchwell - Connection Problem"});
    EXPECT_EQ(pr()["shiftlimit"].toInt(), 11);
    EXPECT_EQ(env.read_file(ini), "-1 , 2 , 1 \r\n");
}

struct Purge : Config {
    QStringList progress;

    void SetUp() override {
        Config::SetUp();
        // In dates around the range 20040101 to 20040331; every status moves alike.
        ASSERT_TRUE(env.exec(env.punchdb(),
                             "insert into punch (tckempid, tckindate, tckoutdate, tckstatus, "
                             "tckpayrate, tckadjtimein, tckjobdescription, tckreghours) values "
                             "(1, 20031231, 20040101, 2, 8.5, '09:00:00', 'Bar', 7.25), "
                             "(2, 20040101, 20040101, 1, 8.5, '09:00:00', 'Bar', 7.25), "
                             "(3, 20040315, 20040402, 5, 8.5, '09:00:00', 'Bar', 7.25), "
                             "(4, 20040331, 20040331, 4, 8.5, '09:00:00', 'Bar', 7.25), "
                             "(5, 20040401, 20040401, 2, 8.5, '09:00:00', 'Bar', 7.25)"));
        ASSERT_TRUE(env.exec(env.punchdb(), "insert into punchzone (tckempid, tckindate) values "
                                            "(1, 20031231), (2, 20040101), (5, 20040401)"));
    }
    QList<QVariantMap> table(const QString& name, const QString& where = "true") const {
        return env.rows(env.punchdb(),
                        "select * from " + name + " where " + where + " order by rowid");
    }
    void run(const QStringList& answers) {
        test::answer(env.dialogs, answers);
        progress.clear();
        archive_purge(env.st, [this](const QString& text) { progress << text; });
    }
};

TEST_F(Purge, MovesExactlyTheRangeFromTheWindow) {
    const QList<QVariantMap> moving = table("punch", "tckindate between 20040101 and 20040331");
    const QList<QVariantMap> staying =
        table("punch", "tckindate not between 20040101 and 20040331");
    ASSERT_EQ(moving.size(), 3);
    env.st.who.manager = 1; // the window is a manager's
    open();
    auto* note = win->txtpurgemsg;
    QString while_moving;
    env.dialogs.on_box = [&](const test::Box& b) {
        if (b.title == "Archive/Purge Complete")
            while_moving = note->text();
    };
    env.dialogs.answers = QStringList{"20040331", "20040101", "Yes", "Yes"};
    test::click(win->cmdpurge);

    EXPECT_EQ(env.dialogs.titles(),
              QStringList({"FROM Date - From/To Archive/Purge Dates",
                           "TO Date - From/To Archive/Purge Dates", "Purge Punchwell Data",
                           "CAUTION - Archive/Purge Punchwell Data", "Archive/Purge Complete"}));
    EXPECT_EQ(env.dialogs.last().text, "Punch data archived/purged between 20040101 and 20040331");
    EXPECT_EQ(env.dialogs.last().icon, Icon::Information);
    EXPECT_EQ(while_moving, "WAIT - ARCHIVE/PURGE IN PROGRESS...");
    EXPECT_EQ(note->text(), "Archive/Purge Complete");
    EXPECT_TRUE(note->isVisible());

    EXPECT_EQ(table("history"), moving);
    EXPECT_EQ(table("punch"), staying);
    // The kept UTC offsets go with their punches; the others stay.
    EXPECT_EQ(env.rows(env.punchdb(), "select tckempid from punchzone").size(), 2);
}

TEST_F(Purge, AnEmptyRangeACancelOrAFailureMovesNothing) {
    const QList<QVariantMap> before = table("punch");
    run({"20050101", "20050131", "Yes", "Yes"});
    EXPECT_EQ(env.dialogs.last().text, "Punch data archived/purged between 20050101 and 20050131");

    const QStringList stops[] = {
        {test::kCancel}, {"20040101", "20040331", "No"}, {"20040101", "20040331", "Yes", "No"}};
    for (const QStringList& answers : stops) {
        run(answers);
        EXPECT_TRUE(progress.isEmpty());
        EXPECT_EQ(env.dialogs.last().kind, answers.size() > 2 ? "question" : "input");
    }

    // A failure during the copy (history already holds one of its in-dates) leaves punch as it was.
    ASSERT_TRUE(env.exec(env.punchdb(), "insert into history (tckindate) values (20040315)"));
    ASSERT_TRUE(env.exec(env.punchdb(), "create unique index one_a_day on history (tckindate)"));
    run({"20040101", "20040331", "Yes", "Yes"});
    EXPECT_EQ(test::code_shown(env.dialogs), 3022);
    EXPECT_EQ(progress, QStringList({"WAIT - ARCHIVE/PURGE IN PROGRESS...", ""}));
    EXPECT_EQ(table("punch"), before);
    EXPECT_EQ(table("history").size(), 1);
}

} // namespace
} // namespace pw
