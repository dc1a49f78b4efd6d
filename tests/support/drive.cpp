#include "drive.h"

#include "installation.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace pw::test {

void type_login(Tclock& win, const QString& number, const QString& password) {
    QTest::keyClicks(win.txtempid, number);
    QTest::keyClick(win.txtempid, Qt::Key_Return);
    QTest::keyClicks(win.txtpassword, password);
    QTest::keyClick(win.txtpassword, Qt::Key_Return);
}

void click(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton);
}

QStringList item_texts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void answer(ScriptedDialogs& dialogs, const QStringList& answers) {
    dialogs.clear();
    dialogs.answers = answers;
}

void close_windows(const char* class_name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits(class_name))
            delete w;
}

QString pdf_text(const QString& path, const QStringList& options) {
    QProcess p;
    p.start("pdftotext", options + QStringList{path, "-"});
    return p.waitForFinished(30000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

Clerks::Clerks() {
    const QString emp = env.empdb();
    EXPECT_TRUE(suite::add_job(env.db_access(), emp, 12, "Cook"));
    EXPECT_TRUE(suite::add_employee(env.db_access(), emp, 7, "ANN", "LEE", 1234));
    EXPECT_TRUE(suite::add_employee(env.db_access(), emp, 8, "BOB", "KING", 20000));
    EXPECT_TRUE(suite::add_empjob(env.db_access(), emp, 7, 12, 10));
    EXPECT_TRUE(suite::add_empjob(env.db_access(), emp, 8, 12, 12.5));
}

void Clerks::open_manager() {
    login("8", "20000");
    click(win.cmdmanager);
}

} // namespace pw::test
