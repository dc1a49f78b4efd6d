// Run once on a display of 800x600 and once on one of 1024x768 (see CMakeLists.txt): every
// window of the station lies wholly inside the screen, frame included, with each control
// inside it and big enough for a finger. Screenshots of each go to PW_SHOTS, or to the test's
// folder.
#include "app/wiring.h"
#include "config/configwindow.h"
#include "drive.h"
#include "editor/puncheditor.h"
#include "platform/qtdialogs.h"
#include "reports/menu.h"
#include "reports/reportviewer.h"
#include "reports/workdb.h"
#include "screens/helpview.h"
#include "screens/touchkeys.h"
#include "window/startup.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QScroller>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace pw {
namespace {

using test::click;

struct Screens : test::Clerks {
    ReportMenu* menu = nullptr;
    QString dir;

    void SetUp() override {
        fill_screen(win); // as the program starts it
        menu = &wire_station(env.st, win);
        ASSERT_EQ(startup(env.st, win), Started::Running);
        const QSize size = win.screen()->size();
        dir = qEnvironmentVariable("PW_SHOTS", env.tmp.path()) + "/" +
              QString::number(size.width()) + "x" + QString::number(size.height()) + "-";
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != &win && !w->parent())
                delete w;
    }

    // The window inside the screen, its controls inside it and a finger high; then its picture.
    void expect_inside(QWidget& w, const QString& name) {
        SCOPED_TRACE(name.toStdString());
        QCoreApplication::processEvents();
        const QRect screen = w.screen()->availableGeometry();
        const QRect frame = w.frameGeometry();
        EXPECT_TRUE(screen.contains(frame))
            << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
        if (w.layout()) {
            const QSize least = w.layout()->totalMinimumSize();
            EXPECT_TRUE(least.width() <= w.width() && least.height() <= w.height())
                << least.width() << "x" << least.height();
        }
        // Lists flick, with rows a finger high and scroll bars a thumb wide.
        for (QAbstractItemView* list : w.findChildren<QAbstractItemView*>()) {
            // A table's header is an item view too, but its sections are columns, not rows.
            if (!list->isVisible() || list->window() != &w || qobject_cast<QHeaderView*>(list))
                continue;
            const std::string list_name = list->objectName().toStdString();
            EXPECT_TRUE(QScroller::hasScroller(list->viewport())) << list_name;
            EXPECT_GE(list->verticalScrollBar()->sizeHint().width(), 24) << list_name;
            // A list whose rows come from a thread (the file chooser's) lays them out a moment
            // later and may hide or change them meanwhile: the first row laid out is looked for
            // anew each time.
            const auto laid_out = [&] {
                const QModelIndex root = list->rootIndex();
                for (int row = 0; row < list->model()->rowCount(root); ++row)
                    if (const QRect r = list->visualRect(list->model()->index(row, 0, root));
                        !r.isEmpty())
                        return r;
                return QRect();
            };
            const bool rows = list->model()->rowCount(list->rootIndex()) > 0;
            for (QDeadlineTimer until(5000); rows && laid_out().isEmpty() && !until.hasExpired();)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (rows) {
                EXPECT_GE(laid_out().height(), 40)
                    << list_name << " " << list->metaObject()->className() << " of "
                    << list->model()->rowCount(list->rootIndex()) << " rows";
            }
        }
        for (QWidget* kid : w.findChildren<QWidget*>()) {
            if (!kid->isVisible() || kid->window() != &w ||
                !(qobject_cast<QAbstractButton*>(kid) || qobject_cast<QLineEdit*>(kid) ||
                  qobject_cast<QComboBox*>(kid)))
                continue;
            bool scrolled = false; // inside a list or a scroll area, scrolling shows it
            for (QWidget* p = kid->parentWidget(); p && p != &w; p = p->parentWidget())
                scrolled = scrolled || qobject_cast<QAbstractScrollArea*>(p);
            if (scrolled)
                continue;
            const QRect at(kid->mapTo(&w, QPoint(0, 0)), kid->size());
            const std::string kid_name = kid->objectName().toStdString();
            EXPECT_TRUE(w.rect().contains(at)) << kid_name;
            // Captions are not cut, and no two controls overlap (the notices float on purpose).
            if (auto* b = qobject_cast<QPushButton*>(kid)) {
                EXPECT_LE(b->sizeHint().width(), b->width()) << kid_name;
            }
            for (QWidget* other :
                 kid->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                // (The file chooser's inner layout is Qt's own.)
                if (other != kid && other->isVisible() && !other->isWindow() &&
                    !qobject_cast<QFileDialog*>(&w) &&
                    !QStringList({"frawait", "frapassword", "List1"})
                         .contains(other->objectName())) {
                    EXPECT_FALSE(other->geometry().intersects(kid->geometry()))
                        << kid_name << " and " << other->objectName().toStdString();
                }
            EXPECT_TRUE(qobject_cast<QLineEdit*>(kid) || kid->height() >= 40) << kid_name;
            // A box's prompt is read whole while it shows.
            if (auto* box = qobject_cast<QLineEdit*>(kid); box && box->text().isEmpty()) {
                const int edge = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
                EXPECT_LE(box->fontMetrics().horizontalAdvance(box->placeholderText()),
                          box->width() - 2 * edge - 4)
                    << kid_name;
            }
        }
        EXPECT_TRUE(w.grab().save(dir + name + ".png"));
    }

    // A modal window the station waits in: measured, then closed.
    void expect_modal_inside(const QString& name, const std::function<void()>& open) {
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_TRUE(modal);
            expect_inside(*modal, name);
            if (KeyPanel* keys = modal->findChild<KeyPanel*>(); keys && keys->isVisible()) {
                expect_inside(*keys, name + "-keys");
                // The keys leave the box, the question and the buttons free.
                for (QWidget* kid : modal->findChildren<QWidget*>())
                    if (kid->isVisible() && kid->window() == modal &&
                        (qobject_cast<QAbstractButton*>(kid) || qobject_cast<QLabel*>(kid) ||
                         kid == keys->target)) {
                        EXPECT_FALSE(keys->frameGeometry().intersects(
                            QRect(kid->mapToGlobal(QPoint(0, 0)), kid->size())))
                            << kid->objectName().toStdString();
                    }
            }
            modal->close();
        });
        open();
    }
};

TEST_F(Screens, EveryWindowLiesInsideTheScreen) {
    // The station's window in each of its states.
    expect_inside(win, "waiting");
    QTest::keyClicks(win.txtempid, "7");
    QTest::keyClick(win.txtempid, Qt::Key_Return);
    expect_inside(win, "password-prompt");
    click(win.cmdkeypad[10]); // Start Over
    login("7", "1234");
    expect_inside(win, "jobs");
    click(win.cmddone);
    open_manager();
    expect_inside(win, "manager-menu");
    env.dialogs.answers = {"20040501", "20040531"};
    click(menu->cmdmenu[1]);
    expect_inside(win, "manager-report");
    click(menu->cmdmenu[17]);
    win.findChild<QLineEdit*>("Text1")->setFocus();
    expect_inside(win, "misc-frame");
    expect_inside(*win.findChild<KeyPanel*>(), "number-keys");
    click(menu->cmdmenu[6]);
    expect_inside(win, "password");
    expect_inside(*win.findChild<KeyPanel*>(), "letter-keys");

    // The windows of the manager.
    PunchEditor editor(env.st);
    env.dialogs.answers = {"20040501", "20040531"};
    editor.open();
    editor.show();
    editor.create_punch();
    expect_inside(editor, "editor");
    for (QLineEdit* box : editor.txtpunch)
        EXPECT_GE(box->height(), 40) << box->objectName().toStdString();

    ConfigWindow config(env.st);
    config.show();
    expect_inside(config, "configuration");

    ASSERT_TRUE(make_report_database(env.st));
    ReportViewer* viewer = run_template(env.st, env.data("tclk01b.rpt"));
    ASSERT_TRUE(viewer);
    expect_inside(*viewer, "report-viewer");
    viewer->close();

    show_help(env.st, &win, "tclock0.txt");
    ASSERT_TRUE(find_help_view());
    expect_inside(*find_help_view(), "help");
    find_help_view()->close();

    // The boxes: a message, a question, the numbered codes, an input box, the file chooser.
    for (auto [name, text, yes_no] :
         {std::tuple("message", "Punchwell cannot connect to Parvela.", false),
          std::tuple("question", "Print Quick Report instead of Detailed Report?", true),
          std::tuple("codes", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12", false)}) {
        auto box = QtDialogs::make_box(Icon::Information, text, "Oops...", yes_no);
        box->show();
        expect_inside(*box, name);
    }
    QtDialogs real;
    expect_modal_inside("input", [&] {
        real.input("Type the FROM employee number.\nWhen done, press ENTER or click OK.",
                   "FROM employee# - Range of Employees", "");
    });
    expect_modal_inside("file-chooser", [&] {
        real.choose_file(FileMode::Save, "Export Punches", "CSV files (*.csv)", env.tmp.path(),
                         "tcexport.csv");
    });
}

} // namespace
} // namespace pw
