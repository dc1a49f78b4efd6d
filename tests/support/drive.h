#pragma once
// Driving a station as a person does, and reading what it shows: shared by the window tests.

#include "env.h"
#include "window/tclock.h"

#include <QListWidget>
#include <QStringList>
#include <gtest/gtest.h>

namespace pw::test {

void click(QWidget* w);
// Types the number and the password (by default the punch screens' employee 9), each
// followed by Enter.
void type_login(Tclock& win, const QString& number = "9", const QString& password = "1");
QStringList item_texts(const QListWidget* list);
// The boxes' next answers, the boxes seen so far forgotten.
void answer(ScriptedDialogs& dialogs, const QStringList& answers);
// Deletes the top-level windows of the class named ("pw::ReportViewer").
void close_windows(const char* class_name);
// The text pdftotext reads from a PDF file.
QString pdf_text(const QString& path, const QStringList& options = {});

// The running station's main window on a club where ANN LEE (7, password 1234) is an
// employee and BOB KING (8, password 20000) a manager, both on job 12 "Cook".
struct Clerks : ::testing::Test {
    TestEnv env;
    Station& st = env.st;
    Tclock win;

    Clerks();
    void login(const QString& number, const QString& password) {
        type_login(win, number, password);
    }
    void open_manager();
};

} // namespace pw::test
