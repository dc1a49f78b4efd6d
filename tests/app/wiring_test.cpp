#include "app/wiring.h"
#include "config/configwindow.h"
#include "drive.h"
#include "editor/puncheditor.h"
#include "platform/qtdialogs.h"
#include "reports/menu.h"
#include "reports/reportviewer.h"
#include "reports/workdb.h"
#include "screens/colours.h"
#include "screens/rowsizes.h"
#include "screens/textsizes.h"
#include "screens/touchkeys.h"
#include "station/messages.h"
#include "window/startup.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

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
        EXPECT_TRUE(env.dialogs.boxes.isEmpty() && env.programs.started.isEmpty());
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

KeyPanel* shown_panel() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* panel = qobject_cast<KeyPanel*>(w); panel && panel->isVisible())
            return panel;
    return nullptr;
}

// Taps the keys of the panel shown: '\t' is the "*" key, '\n' Enter, '\b' Back.
void tap(const QString& keys) {
    for (const QChar ch : keys) {
        KeyPanel* panel = shown_panel();
        ASSERT_TRUE(panel) << "no keys for " << QString(ch).toStdString();
        if (!panel->key_for(ch))
            click(panel->findChild<QPushButton*>(panel->letters() ? "key_123" : "key_abc"));
        ASSERT_TRUE(panel->key_for(ch)) << QString(ch).toStdString();
        click(panel->key_for(ch));
    }
}

// Offscreen, a closed box hands the activation back to nobody; a screen gives it back.
void activate(QWidget& w) {
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

// While the station waits in a modal window: each real input box is answered by its keys, and
// the next other window is worked by in_window.
struct Taps {
    QStringList answers;
    std::function<void(QWidget*)> in_window;
    QTimer timer;
    Taps() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && !qobject_cast<QInputDialog*>(modal) && in_window)
                std::exchange(in_window, nullptr)(modal); // taken first: it may wait itself
            else if (qobject_cast<QInputDialog*>(modal) && !answers.isEmpty() && shown_panel() &&
                     shown_panel()->parentWidget() == modal)
                tap(answers.takeFirst() + "\n");
        });
        timer.start(5);
    }
};

// The real boxes, answered by taps, and one day's punch of ANN.
struct ByTaps : Program {
    QtDialogs real;
    void SetUp() override {
        Program::SetUp();
        env.dialogs.real_inputs = &real;
        ASSERT_TRUE(env.add_punch(test::fields(
            "empid=7 jobcode=12 status=2 indate=20040504 outdate=20040504 timein=08:00:00 "
            "adjtimein=08:00:00 timeout=16:00:00 adjtimeout=16:00:00 reghours=8 adjreghours=8")));
    }
    void manager_by_keypad() {
        for (const int key : {8, 11, 2, 0, 0, 0, 0, 11}) // 8 and 20000 on the station's keypad
            click(win.cmdkeypad[key]);
    }
};

// Every manager task by taps. The keys come up beside the box, inside the screen, numbers or
// letters as the box wants, never over the station's own keypad, and go when a button takes
// the focus.
TEST_F(ByTaps, AManagerWorksReportsConfigurationAndTheEditor) {
    manager_by_keypad();
    win.txtempid->setFocus();
    EXPECT_FALSE(shown_panel());
    click(win.cmdmanager);
    Taps taps;
    auto beside = [](QWidget* box, bool letters) {
        KeyPanel* keys = shown_panel();
        return keys && keys->letters() == letters &&
               !keys->frameGeometry().intersects(QRect(box->mapToGlobal(QPoint()), box->size())) &&
               box->screen()->geometry().contains(keys->frameGeometry());
    };

    // A report asks its dates and employees in input boxes.
    taps.answers = {"20040501", "20040531", "7", "8"};
    click(menu->cmdmenu[1]);
    EXPECT_EQ(env.dialogs.of(&test::Box::answer), QStringList({"20040501", "20040531", "7", "8"}));
    EXPECT_TRUE(win.lstpayrate->isVisible() && win.lstpayrate->count() > 0);
    activate(win);

    // The misc report's dates: "*" moves on as Tab does.
    click(menu->cmdmenu[17]);
    auto* from = misc()->findChild<QLineEdit*>("Text1");
    click(from);
    EXPECT_TRUE(beside(from, false));
    tap("20040501\t20040531");
    EXPECT_EQ(from->text(), "20040501");
    EXPECT_EQ(misc()->findChild<QLineEdit*>("Text2")->text(), "20040531");

    // The configuration password by letters, then a box of the window and Save.
    taps.in_window = [](QWidget* modal) {
        auto* config = qobject_cast<ConfigWindow*>(modal);
        activate(*config);
        click(config->Text1[kBoxShiftLimit]);
        tap("\b\b\b\b10");
        click(config->cmdsave);
        click(config->cmdexit);
    };
    click(menu->cmdmenu[6]);
    EXPECT_TRUE(beside(menu->txtmgrpassword, true));
    tap("zvt\n");
    EXPECT_FALSE(shown_panel());
    click(menu->cmdpasswordok);
    EXPECT_EQ(env.scalar(env.configdb(), "select shiftlimit from pr").toInt(), 10);

    // The editor: its dates, an employee and a punch by taps, a time and the reason by keys.
    taps.answers = {"20040501", "20040531"};
    click(menu->cmdmenu[7]);
    auto* editor = win.findChild<PunchEditor*>();
    ASSERT_TRUE(editor);
    activate(*editor);
    click(editor->cmdgo);
    for (QTableView* grid : {editor->grid1, editor->grid2})
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(0, 1)).center());
    click(editor->txtpunch[1]);
    tap("\b\b\b\b\b\b\b\b09:00:00");
    click(editor->txtpunch[11]);
    EXPECT_TRUE(beside(editor->txtpunch[11], true));
    tap("late");
    click(editor->cmdsave);
    const QVariantMap stored = env.punches("tckempid = 7").value(0);
    EXPECT_EQ(stored["tckadjtimein"], "09:00:00");
    EXPECT_EQ(stored["tckadjreason"], "late");
}

// Export, then import after the punches were purged, by taps: the file the chooser proposes by
// its button, the dates on the number keys.
TEST_F(ByTaps, AManagerExportsAndImports) {
    Taps taps;
    const auto as_manager = [&](int remote, QPushButton* action) {
        st.settings.remotemode = remote;
        manager_by_keypad();
        click(win.cmdmanager);
        taps.in_window = [](QWidget* chooser) { // the name it proposes, by its button
            auto* buttons = chooser->findChild<QDialogButtonBox*>();
            for (QAbstractButton* b : buttons->buttons())
                if (buttons->buttonRole(b) == QDialogButtonBox::AcceptRole)
                    click(b);
        };
        test::answer(env.dialogs, {"Yes"}); // the file confirmed
        click(action);
        activate(win);
    };

    taps.answers = {"20040501", "20040531", "", ""}; // the times as offered: the whole day
    as_manager(1, win.cmdexport);
    EXPECT_EQ(env.dialogs.last().text, "Punchwell export complete.");
    EXPECT_TRUE(
        env.read_file(env.station_file("tcexport.csv")).startsWith("\" 20040504 \",\" 7 \""));
    click(win.cmddone);

    ASSERT_TRUE(env.exec(env.punchdb(), "delete from punch"));
    as_manager(0, win.cmdimport);
    EXPECT_EQ(env.dialogs.last().text, "Import Complete\n1 punch added, 0 punches already there.");
    EXPECT_EQ(env.punches("tckempid = 7 and tcktimeout = '16:00:00' and tckadjreghours = 8").size(),
              1);
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

// The touch style paints a tall key in bands, off the toolkit's helper threads, and a typing
// box's outline square and opaque. The person sees the toolkit's own key, pixel for pixel,
// pressed or not, and its own box but for the corners, with the focus and without.
TEST(TouchStyle, KeysAndBoxesLookAsTheToolkitDrawsThem) {
    const TouchScreen touch(nullptr);
    const auto* style = qobject_cast<const QProxyStyle*>(QApplication::style());
    ASSERT_TRUE(style);
    std::unique_ptr<QStyle> plain(QStyleFactory::create(style->baseStyle()->name()));
    ASSERT_TRUE(plain);
    for (const bool down : {false, true}) {
        QPushButton touched(QStringLiteral("Start Over")), drawn(QStringLiteral("Start Over"));
        drawn.setStyle(plain.get());
        for (QPushButton* key : {&touched, &drawn}) {
            key->resize(124, 150);
            key->setDown(down);
        }
        EXPECT_EQ(touched.grab().toImage(), drawn.grab().toImage()) << "down " << down;
    }

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* touched = new QLineEdit(QStringLiteral("1234"), &window);
    auto* drawn = new QLineEdit(QStringLiteral("1234"), &window);
    drawn->setStyle(plain.get());
    for (QLineEdit* box : {touched, drawn}) {
        box->setFixedSize(190, 48);
        layout->addWidget(box);
    }
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (const bool focus : {false, true}) {
        const auto look = [focus](QLineEdit* box) {
            if (focus)
                box->setFocus();
            else
                box->clearFocus();
            EXPECT_EQ(box->hasFocus(), focus);
            QImage image = box->grab().toImage();
            QPainter corners(&image); // five pixels of each corner are left out
            for (const QPoint at : {QPoint(0, 0), QPoint(185, 0), QPoint(0, 43), QPoint(185, 43)})
                corners.fillRect(QRect(at, QSize(5, 5)), Qt::magenta);
            return image;
        };
        EXPECT_EQ(look(touched), look(drawn)) << "focus " << focus;
    }
}

// A list whose rows keep their sizes is laid out and drawn as the style sheet that once made
// the rows tall drew it (the touch style makes them as tall): short lines and wrapped ones, chosen
// or not, with the focus or without, after a line changed and after the list was narrowed.
TEST(TouchStyle, KeptRowSizesLookAsTheSheetDrewThem) {
    const TouchScreen touch(nullptr);
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    auto* kept = new QListWidget(&window);
    auto* sheet = new QListWidget(&window);
    keep_row_sizes(kept);
    sheet->setStyleSheet(QStringLiteral("QListWidget::item { min-height: 40px; }"));
    const QStringList lines{
        QStringLiteral("Select Job Below"), QStringLiteral("--------"),
        QStringLiteral("Out at 16:00. This shift 8.00 h, this week 39.75 h, overtime 0.00 h."),
        QStringLiteral("10 Front Desk")};
    for (QListWidget* list : {kept, sheet}) {
        list->setFont(sized(list, kButtonPoints));
        list->setWordWrap(true);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setFixedSize(260, 320);
        list->addItems(lines);
        list->setCurrentRow(3);
        layout->addWidget(list);
    }
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const auto look = [](QListWidget* list, bool focus) {
        if (focus)
            list->setFocus();
        else
            list->clearFocus();
        return list->grab().toImage();
    };
    const auto same = [&](const char* when) {
        for (int row = 0; row < lines.size(); ++row)
            EXPECT_EQ(kept->visualItemRect(kept->item(row)),
                      sheet->visualItemRect(sheet->item(row)))
                << when << " row " << row;
        for (const bool focus : {false, true})
            EXPECT_EQ(look(kept, focus), look(sheet, focus)) << when << " focus " << focus;
    };
    same("shown");
    for (QListWidget* list : {kept, sheet})
        list->item(3)->setText(lines[2] + lines[2]);
    QTest::qWait(20);
    same("changed");
    for (QListWidget* list : {kept, sheet})
        list->setFixedSize(180, 320);
    QTest::qWait(20);
    same("narrowed");
}

// Colours set in the palette look as the style sheets that once set them drew them.
TEST(TouchStyle, ColoursLookAsTheSheetsDrewThem) {
    const TouchScreen touch(nullptr);
    const auto button = [] { return new QPushButton(QStringLiteral("Punch IN")); };
    const auto label = [] { return new QLabel(QStringLiteral("HOLIDAY HOURS TODAY")); };
    const auto notice = [] {
        auto* frame = new QFrame;
        frame->setObjectName(QStringLiteral("notice"));
        frame->setFrameShape(QFrame::Box);
        frame->setLineWidth(2);
        auto* text = new QLabel(QStringLiteral("Please wait"), frame);
        text->setFont(sized(text, kEntryPoints, true)); // as the window gives it its own
        (new QVBoxLayout(frame))->addWidget(text);
        return static_cast<QWidget*>(frame);
    };
    const struct {
        std::function<QWidget*()> make;
        const char* sheet;
        std::function<void(QWidget*)> colour;
    } cases[] = {
        {button, "QPushButton { color: #006400; }", [](QWidget* w) { text_colour(w, 0x006400); }},
        {label, "color: #b00000;", [](QWidget* w) { text_colour(w, 0xb00000); }},
        {notice, "QFrame#notice { background: #fff8c0; }",
         [](QWidget* w) { fill_colour(w, 0xfff8c0); }},
    };
    for (const auto& c : cases) {
        std::unique_ptr<QWidget> sheet(c.make()), coloured(c.make());
        sheet->setStyleSheet(QLatin1String(c.sheet));
        c.colour(coloured.get());
        for (QWidget* w : {sheet.get(), coloured.get()}) {
            w->setFont(sized(w, kButtonPoints, true));
            w->resize(240, 110);
        }
        EXPECT_EQ(coloured->grab().toImage(), sheet->grab().toImage()) << c.sheet;
    }
}

} // namespace
} // namespace pw
