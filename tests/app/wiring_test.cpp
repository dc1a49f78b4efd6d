#include "app/wiring.h"
#include "env.h"
#include "installation.h"
#include "reports/menu.h"
#include "station/startup.h"
#include "station/tclock.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace pw {
namespace {

// The whole program on its window, driven as a manager drives it.
TEST(Wiring, TheMenuReachesEveryPartOfTheStation) {
    test::TestEnv env;
    ASSERT_TRUE(suite::add_job(env.empdb(), 12, "Cook"));
    ASSERT_TRUE(suite::add_employee(env.empdb(), 8, "BOB", "KING", 20000));
    ASSERT_TRUE(suite::add_empjob(env.empdb(), 8, 12, 12.5));
    Tclock win;
    ReportMenu& menu = wire_station(env.st, win);
    ASSERT_TRUE(startup(env.st, win));
    env.st.settings.receiptprinter = 0;
    auto click = [](QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); };

    QTest::keyClicks(win.txtempid, "8");
    QTest::keyClick(win.txtempid, Qt::Key_Return);
    QTest::keyClicks(win.txtpassword, "20000");
    QTest::keyClick(win.txtpassword, Qt::Key_Return);
    click(win.cmdmanager);

    // An own report goes to the receipt printer as it is listed.
    click(menu.cmdmenu[13]);
    ASSERT_TRUE(menu.cmdprintlistbox->isVisible());
    click(menu.cmdprintlistbox);
    ASSERT_EQ(env.printers.jobs.size(), 1);
    EXPECT_TRUE(env.printers.jobs[0].lines.contains("My Hours This Month"));

    // The misc report frame opens on the panel, whole.
    click(menu.cmdmenu[17]);
    auto* misc = win.frareport->findChild<QWidget*>("framiscpunch");
    ASSERT_NE(misc, nullptr);
    EXPECT_TRUE(misc->isVisible());
    EXPECT_TRUE(win.frareport->rect().contains(misc->geometry()));

    // The editor, the configuration window (behind the manager password) and import open.
    env.dialogs.answers = {"20040501", "20040531"}; // the editor's date range
    click(menu.cmdmenu[7]);
    QWidget* editor = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle().startsWith("Punch Editor"))
            editor = w;
    ASSERT_NE(editor, nullptr);
    editor->close();

    QString config_title;
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            config_title = modal->windowTitle();
            modal->close();
        }
    });
    click(menu.cmdmenu[6]);
    QTest::keyClicks(menu.txtmgrpassword, "zvt");
    click(menu.cmdpasswordok);
    EXPECT_EQ(config_title, "Punchwell Configuration");

    env.dialogs.clear();
    click(win.cmdimport);
    ASSERT_FALSE(env.dialogs.boxes.isEmpty());
    EXPECT_EQ(env.dialogs.boxes.first().kind, "file");

    // A screen clear takes the panel and the frame away.
    click(win.cmddone);
    EXPECT_FALSE(win.frareport->isVisible());
    EXPECT_FALSE(misc->isVisible());
}

} // namespace
} // namespace pw
