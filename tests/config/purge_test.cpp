#include "config/configwindow.h"
#include "config/purge.h"
#include "env.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace pw {
namespace {

using test::kCancel;

struct Purge : ::testing::Test {
    test::TestEnv env;
    QStringList progress;

    void SetUp() override {
        env.load();
        // In dates around the range 20040101 to 20040331; every status moves alike.
        ASSERT_TRUE(env.exec(env.punchdb(),
                             "insert into punch (tckempid, tckindate, tckoutdate, tckstatus, "
                             "tckpayrate, tckadjtimein, tckjobdescription, tckreghours) values "
                             "(1, 20031231, 20040101, 2, 8.5, '09:00:00', 'Bar', 7.25), "
                             "(2, 20040101, 20040101, 1, 8.5, '09:00:00', 'Bar', 7.25), "
                             "(3, 20040315, 20040402, 5, 8.5, '09:00:00', 'Bar', 7.25), "
                             "(4, 20040331, 20040331, 4, 8.5, '09:00:00', 'Bar', 7.25), "
                             "(5, 20040401, 20040401, 2, 8.5, '09:00:00', 'Bar', 7.25)"));
    }
    QList<QVariantMap> table(const QString& name, const QString& where = "1") const {
        return env.rows(env.punchdb(),
                        "select * from " + name + " where " + where + " order by rowid");
    }
    void run(const QStringList& answers) {
        env.dialogs.answers = answers;
        env.dialogs.clear();
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
    ConfigWindow win(env.st);
    win.show();
    auto* note = win.findChild<QLabel*>("txtpurgemsg");
    QString while_moving;
    env.dialogs.on_box = [&](const test::Box& b) {
        if (b.title == "Archive/Purge Complete")
            while_moving = note->text();
    };
    env.dialogs.answers = QStringList{"20040331", "20040101", "Yes", "Yes"};
    QTest::mouseClick(win.findChild<QPushButton*>("cmdpurge"), Qt::LeftButton);

    EXPECT_EQ(env.dialogs.titles(),
              QStringList({"FROM Date - From/To Archive/Purge Dates",
                           "TO Date - From/To Archive/Purge Dates", "Purge Punchwell Data",
                           "CAUTION - Archive/Purge Punchwell Data", "Archive/Purge Complete"}));
    EXPECT_EQ(env.dialogs.boxes[2].text, "Archive/Purge punch data from 20040101 through "
                                         "20040331\r\n\r\nClick YES to continue, click NO to "
                                         "cancel.");
    EXPECT_EQ(env.dialogs.boxes[3].text,
              "Archive/Purge punch data from 20040101 through 20040331\r\n\r\nCAUTION: THIS IS "
              "A PERMANENT ACTION WITHOUT AN UNDO PROCEDURE!\r\n\r\nClick YES to start now, "
              "click NO to cancel.");
    EXPECT_EQ(env.dialogs.last().text, "Punch data archived/purged between 20040101 and 20040331");
    EXPECT_EQ(env.dialogs.last().icon, Icon::Information);
    EXPECT_EQ(while_moving, "WAIT - ARCHIVE/PURGE IN PROGRESS...");
    EXPECT_EQ(note->text(), "Archive/Purge Complete");
    EXPECT_TRUE(note->isVisible());

    EXPECT_EQ(table("history"), moving);
    EXPECT_EQ(table("punch"), staying);
}

TEST_F(Purge, AnEmptyRangeACancelOrAFailureMovesNothing) {
    const QList<QVariantMap> before = table("punch");
    run({"20050101", "20050131", "Yes", "Yes"});
    EXPECT_EQ(env.dialogs.last().text, "Punch data archived/purged between 20050101 and 20050131");
    EXPECT_EQ(progress,
              QStringList({"WAIT - ARCHIVE/PURGE IN PROGRESS...", "Archive/Purge Complete"}));

    const QStringList stops[] = {{kCancel},
                                 {"20040101", kCancel},
                                 {"20040101", "20040331", "No"},
                                 {"20040101", "20040331", "Yes", "No"}};
    for (const QStringList& answers : stops) {
        run(answers);
        EXPECT_TRUE(progress.isEmpty());
        EXPECT_EQ(env.dialogs.last().kind, answers.size() > 2 ? "question" : "input");
    }

    // A failure during the copy leaves punch as it was.
    ASSERT_TRUE(env.exec(env.punchdb(), "create trigger frozen before insert on history "
                                        "when new.tckindate = 20040315 "
                                        "begin select raise(abort, 'history is full'); end"));
    run({"20040101", "20040331", "Yes", "Yes"});
    EXPECT_EQ(env.dialogs.last().title, "Parvela Codes");
    EXPECT_TRUE(env.dialogs.last().text.contains("history is full"));
    EXPECT_EQ(progress, QStringList({"WAIT - ARCHIVE/PURGE IN PROGRESS...", ""}));
    EXPECT_EQ(table("punch"), before);
    EXPECT_TRUE(table("history").isEmpty());
}

} // namespace
} // namespace pw
