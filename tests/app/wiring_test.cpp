#include "app/wiring.h"
#include "config/configwindow.h"
#include "drive.h"
#include "editor/puncheditor.h"
#include "platform/dialogs.h"
#include "reports/menu.h"
#include "reports/reportviewer.h"
#include "reports/workdb.h"
#include "station/messages.h"
#include "station/startup.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace pw {
namespace {

using test::click;

// The whole program on its window.
struct Program : test::Clerks {
    ReportMenu* menu = nullptr;

    void SetUp() override {
        win.setWindowState(Qt::WindowFullScreen); // as the program starts it
        menu = &wire_station(env.st, win);
        ASSERT_EQ(startup(env.st, win), Started::Running);
        env.programs.started.clear(); // the clock sync of start-up
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != &win && !w->parent())
                delete w;
    }
    QWidget* misc() const { return win.findChild<QWidget*>("framiscpunch"); }
    // Manager-only frames and windows still shown.
    static QStringList manager_things_shown() {
        QStringList shown;
        for (QWidget* w : QApplication::allWidgets())
            if (w->property(kManagerOnly).toBool() && w->isVisible())
                shown << w->objectName();
        return shown;
    }
};

TEST_F(Program, TheMenuReachesEveryPartOfTheStation) {
    env.st.settings.receiptprinter = 0;
    open_manager();

    // An own report goes to the receipt printer as it is listed.
    click(menu->cmdmenu[13]);
    click(menu->cmdprintlistbox);
    ASSERT_EQ(env.printers.jobs.size(), 1);
    EXPECT_TRUE(env.printers.jobs[0].lines.contains("My Hours This Month"));

    // The misc report frame closes by its button.
    click(menu->cmdmenu[17]);
    click(misc()->findChild<QPushButton*>("cmdclosemisc"));
    EXPECT_FALSE(misc()->isVisible());
    EXPECT_TRUE(win.lstjob->isVisible());

    // The configuration window behind the manager password; import's file chooser.
    QString config_title;
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            config_title = modal->windowTitle();
            modal->close();
        }
    });
    click(menu->cmdmenu[6]);
    QTest::keyClicks(menu->txtmgrpassword, "zvt");
    click(menu->cmdpasswordok);
    EXPECT_EQ(config_title, "Punchwell Configuration");

    env.dialogs.clear();
    click(win.cmdimport);
    ASSERT_FALSE(env.dialogs.boxes.isEmpty());
    EXPECT_EQ(env.dialogs.boxes.first().kind, "file");
}

// What a manager leaves open goes with DONE; an employee reaches none of it.
TEST_F(Program, NothingOfTheManagerIsLeftForTheNextEmployee) {
    const QList<int> own = {10, 11, 12, 13, 14, 15};
    for (const int opener : {17, 6, 7}) {
        SCOPED_TRACE(opener);
        open_manager();
        env.dialogs.answers = {"20040501", "20040531"}; // the editor's range
        click(menu->cmdmenu[opener]);
        if (opener == 17) { // and a report shown in the viewer
            ASSERT_TRUE(make_report_database(env.st));
            ASSERT_TRUE(run_template(env.st, env.data("tclk01b.rpt")));
        }
        ASSERT_FALSE(manager_things_shown().isEmpty());
        click(win.cmddone);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        login("7", "1234");
        click(win.cmdreport);
        EXPECT_EQ(manager_things_shown(), QStringList());
        for (int i = 0; i < kMenuButtons; ++i)
            EXPECT_EQ(menu->cmdmenu[i]->isVisible(), own.contains(i)) << i;

        // Every manager action refuses the employee, however it is reached.
        env.dialogs.clear();
        menu->open_manager_menu();
        for (int i = 0; i < kMenuButtons; ++i)
            if (!own.contains(i))
                menu->menu_button_pressed(i);
        menu->txtmgrpassword->setText("zvt");
        menu->manager_password_entered();
        emit win.import_clicked();
        emit win.export_clicked();
        misc()->findChild<QPushButton*>("cmdprintmisc")->click();
        EXPECT_EQ(open_punch_editor(env.st, &win), nullptr);
        EXPECT_EQ(manager_things_shown(), QStringList());
        EXPECT_TRUE(env.dialogs.boxes.isEmpty());
        EXPECT_TRUE(env.programs.started.isEmpty());
        EXPECT_FALSE(find_report_viewer());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        click(win.cmddone);
    }
}

// The number box and the misc report's date boxes: the keypad's "*" moves on as Tab does,
// and so does Enter in a date box; a date box is emptied when entered and completed with the
// year when left with four characters.
TEST_F(Program, DateBoxesAndTheKeypadMultiplyMoveOn) {
    win.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&win));
    auto press = [](QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::KeypadModifier) {
        QTest::keyClick(w, key, mods);
        QCoreApplication::processEvents();
    };
    QTest::keyClicks(win.txtempid, "8");
    press(win.txtempid, Qt::Key_Asterisk);
    EXPECT_EQ(win.txtempid->text(), "8");
    EXPECT_FALSE(win.txtempid->hasFocus());

    win.txtempid->clear();
    open_manager();
    click(menu->cmdmenu[17]);
    auto* from = misc()->findChild<QLineEdit*>("Text1");
    auto* to = misc()->findChild<QLineEdit*>("Text2");
    QTest::mouseClick(from, Qt::LeftButton);
    EXPECT_EQ(from->text(), "");
    QTest::keyClicks(from, "0524");
    press(from, Qt::Key_Asterisk);
    EXPECT_TRUE(to->hasFocus());
    QTest::keyClicks(to, "20050131");
    press(to, Qt::Key_Enter);
    EXPECT_FALSE(to->hasFocus());
    EXPECT_EQ(from->text() + " " + to->text(), "20040524 20050131");
    QTest::mouseClick(from, Qt::LeftButton);
    press(from, Qt::Key_Return, Qt::NoModifier);
    EXPECT_TRUE(to->hasFocus());
    EXPECT_EQ(to->text(), "");

    QTest::mouseDClick(misc(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(misc()->isVisible());
}

// A window fits when its layout fits the screen, nothing visible in it lies outside its parent
// and no two visible siblings overlap. Floating notices over the window are meant to cover it.
void expect_fits(QWidget& w, const QSize& screen, const QString& shot) {
    SCOPED_TRACE(shot.toStdString());
    w.resize(w.isWindow() && w.objectName() == "tclock" ? screen : w.size().boundedTo(screen));
    QCoreApplication::processEvents();
    if (w.layout()) {
        const QSize least = w.layout()->totalMinimumSize();
        EXPECT_TRUE(least.width() <= screen.width() && least.height() <= screen.height())
            << least.width() << "x" << least.height();
    }
    EXPECT_TRUE(w.grab().save(shot));
    const QStringList overlays = {"frawait", "frapassword", "List1"};
    QList<QWidget*> parents = w.findChildren<QWidget*>();
    parents << &w;
    for (QWidget* parent : parents) {
        if (!parent->isVisible() || qobject_cast<QAbstractScrollArea*>(parent) ||
            qobject_cast<QAbstractScrollArea*>(parent->parentWidget()))
            continue;
        QList<QWidget*> kids;
        for (QWidget* k : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (k->isVisible() && !k->isWindow())
                kids << k;
        for (int i = 0; i < kids.size(); ++i) {
            const QString name = kids[i]->objectName() + " in " + parent->objectName();
            EXPECT_TRUE(parent->rect().contains(kids[i]->geometry())) << name.toStdString();
            // Captions are not cut.
            auto* label = qobject_cast<QLabel*>(kids[i]);
            if ((label && !label->wordWrap()) || qobject_cast<QPushButton*>(kids[i])) {
                EXPECT_LE(kids[i]->sizeHint().width(), kids[i]->width()) << name.toStdString();
            }
            for (int j = i + 1; j < kids.size(); ++j) {
                if (overlays.contains(kids[i]->objectName()) ||
                    overlays.contains(kids[j]->objectName()))
                    continue;
                EXPECT_FALSE(kids[i]->geometry().intersects(kids[j]->geometry()))
                    << name.toStdString() << " and " << kids[j]->objectName().toStdString();
            }
        }
    }
}

TEST_F(Program, EveryWindowAndFrameFitsBothScreens) {
    win.setWindowState(Qt::WindowNoState); // to be sized as each screen would
    const QString dir = qEnvironmentVariable("PW_SHOTS", env.tmp.path()) + "/"; // to look at
    for (const QSize screen : {QSize(800, 600), QSize(1024, 768)}) {
        const QString at = QStringLiteral("%1x%2-").arg(screen.width()).arg(screen.height());
        auto main_window = [&](const QString& state) {
            expect_fits(win, screen, dir + at + state);
        };
        click(win.cmddone);
        main_window("waiting.png");
        login("7", "1234");
        main_window("jobs.png");
        click(win.cmdreport);
        click(menu->cmdmenu[13]);
        main_window("employee-report.png");
        click(win.cmddone);
        open_manager();
        main_window("manager-menu.png");
        click(menu->cmdmenu[0]);
        main_window("manager-report.png");
        click(menu->cmdmenu[17]);
        main_window("misc-frame.png");
        click(menu->cmdmenu[6]); // the password frame, and over it the wait notice
        win.show_wait(true);
        main_window("wait.png");
        win.show_wait(false);

        PunchEditor editor(env.st);
        env.dialogs.answers = {"20040501", "20040531"};
        editor.open(); // the reasons named
        editor.show();
        editor.create_punch();
        expect_fits(editor, screen, dir + at + "editor.png");

        ConfigWindow config(env.st);
        config.show();
        config.Text1[4]->setFocus();
        QCoreApplication::processEvents();
        expect_fits(config, screen, dir + at + "config-printers.png");
        config.List1->setCurrentRow(0);
        emit config.List1->itemClicked(config.List1->item(0)); // "No Printer"
        expect_fits(config, screen, dir + at + "config-no-printer.png");

        ReportViewer viewer(env.st);
        viewer.show();
        expect_fits(viewer, screen, dir + at + "viewer.png");
    }
}

// The numbered-code box shows each code on one line and leaves most of the screen free.
TEST(Boxes, TheCodeListKeepsItsLinesWhole) {
    test::TestEnv env;
    reporterror(env.st, 3045, "database is locked");
    const QString text = env.dialogs.last().text;
    auto box = QtDialogs::make_box(Icon::Information, text, "Parvela Codes", false);
    box->show();
    QCoreApplication::processEvents();
    auto* label = box->findChild<QLabel*>("lbltext");
    ASSERT_TRUE(label);
    const QFontMetrics metrics(label->font());
    for (const QString& line : text.split('\n'))
        EXPECT_LE(metrics.horizontalAdvance(line), label->contentsRect().width())
            << line.toStdString();
    EXPECT_LE(label->height(), (text.count('\n') + 2) * metrics.lineSpacing());
    EXPECT_LT(box->width(), 800 * 9 / 10);
    EXPECT_LT(box->height(), 600 * 9 / 10);
}

} // namespace
} // namespace pw
