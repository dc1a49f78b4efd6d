#include "platform/programs.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace pw {
namespace {

// The installed programs and help texts come first; the station folder's file only when it
// is the station's own; nothing from PATH.
TEST(QtPrograms, RunsTheInstalledProgramUnlessTheStationHasItsOwn) {
    QTemporaryDir tmp;
    const QString station = tmp.path() + "/station/", lib = tmp.path() + "/lib/",
                  help = tmp.path() + "/help/", bin = tmp.path() + "/bin/";
    // Each program writes its first argument to FOLDER-NAME.ran in the folder it runs in.
    const QByteArray program =
        "#!/bin/sh\necho \"$1\" > \"$(basename \"$(dirname \"$0\")\")-$(basename \"$0\").ran\"\n";
    auto write = [](const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    };
    for (const QString& path :
         {lib + "swupdate.exe", lib + "qwcedit.exe", lib + "syncnwk.exe", bin + "other.exe"})
        write(path, program);
    write(station + "swupdate.exe", program + "# the club's own\n");
    write(station + "qwcedit.exe", "#!/bin/sh\n# Parvela stand-in: an earlier copy\nexit 0\n");
    QFile::link(lib + "syncnwk.exe", station + "syncnwk.exe");
    write(help + "tclock0.txt", "Help\n");
    write(station + "tclock0.txt", "Help\r\n"); // a copy with other line ends
    write(help + "tclock1.txt", "Help\n");
    write(station + "tclock1.txt", "Our help\n");
    qputenv("PATH", bin.toUtf8() + ":" + qgetenv("PATH"));

    QtPrograms programs(station, lib, help);
    for (const QString& command :
         QStringList{"qwcedit.exe tclock0.txt", "swupdate.exe tclock1.txt", "syncnwk.exe nowait",
                     bin + "other.exe", "other.exe", "../lib/qwcedit.exe"})
        programs.start(command);
    const QStringList expected = {"lib-qwcedit.exe.ran=" + help + "tclock0.txt",
                                  "lib-syncnwk.exe.ran=nowait",
                                  "station-swupdate.exe.ran=" + station + "tclock1.txt"};
    QStringList ran;
    for (int i = 0; i < 500 && ran != expected; ++i) {
        QThread::msleep(20);
        ran.clear();
        for (const QString& name : QDir(station).entryList({"*.ran"}, QDir::Files, QDir::Name)) {
            QFile f(station + name);
            f.open(QIODevice::ReadOnly);
            ran << name + "=" + QString::fromUtf8(f.readAll()).trimmed();
        }
    }
    EXPECT_EQ(ran.join(" ").toStdString(), expected.join(" ").toStdString());

    // A program that has ended is not left behind as a zombie, with no other start to come.
    // (WNOWAIT only looks; it would otherwise let it go itself.)
    bool children_left = true;
    for (int i = 0; i < 250 && children_left; ++i) {
        QThread::msleep(20);
        QCoreApplication::processEvents();
        siginfo_t ended{};
        children_left = waitid(P_ALL, 0, &ended, WEXITED | WNOHANG | WNOWAIT) == 0;
    }
    EXPECT_FALSE(children_left);
}

} // namespace
} // namespace pw
