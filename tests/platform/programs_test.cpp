#include "platform/programs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace pw {
namespace {

// An executable script that leaves NAME.ran (its arguments) in the folder it runs in.
void program(const QString& path, const QString& name) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\necho \"$*\" > " + name.toUtf8() + ".tmp && mv " + name.toUtf8() + ".tmp " +
            name.toUtf8() + ".ran\n");
    f.close();
    f.setPermissions(f.permissions() | QFile::ExeOwner);
}

TEST(QtPrograms, RunsFromTheStationFolderThenItsOwnFolderAndNeverFromPath) {
    QTemporaryDir tmp;
    const QString station = tmp.path() + "/station", lib = tmp.path() + "/lib",
                  bin = tmp.path() + "/bin";
    for (const QString& dir : {station, lib, bin})
        QDir().mkpath(dir);
    program(station + "/swupdate.exe", "station");
    program(lib + "/swupdate.exe", "lib");
    program(lib + "/qwcedit.exe", "viewer");
    program(bin + "/syncnwk.exe", "path");
    QFile(station + "/qwcedit.exe").open(QIODevice::WriteOnly); // not executable
    qputenv("PATH", bin.toUtf8() + ":" + qgetenv("PATH"));

    QtPrograms programs(station, lib);
    const QList<QPair<QString, QString>> found = {
        {"swupdate.exe", station + "/swupdate.exe"}, // the station's own copy wins
        {"qwcedit.exe", lib + "/qwcedit.exe"},       // the station's is no program
        {"syncnwk.exe", ""},                         // elsewhere on PATH only
        {bin + "/syncnwk.exe", ""},
    };
    for (const auto& [name, path] : found)
        EXPECT_EQ(programs.locate(name), path) << name.toStdString();

    programs.start("syncnwk.exe nowait");
    programs.start("qwcedit.exe tclock0.txt");
    QElapsedTimer waited;
    waited.start();
    while (!QFileInfo::exists(station + "/viewer.ran") && waited.elapsed() < 10000)
        QThread::msleep(20);
    QFile ran(station + "/viewer.ran");
    ASSERT_TRUE(ran.open(QIODevice::ReadOnly));
    EXPECT_EQ(ran.readAll(), "tclock0.txt\n");
    EXPECT_FALSE(QFileInfo::exists(station + "/path.ran"));
}

} // namespace
} // namespace pw
