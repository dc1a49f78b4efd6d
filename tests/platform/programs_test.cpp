#include "platform/programs.h"

#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace pw {
namespace {

TEST(QtPrograms, RunsFromTheStationFolderThenItsOwnFolderAndNeverFromPath) {
    QTemporaryDir tmp;
    const QString station = tmp.path() + "/station/", lib = tmp.path() + "/lib/",
                  bin = tmp.path() + "/bin/";
    // Each program leaves FOLDER-NAME-ARG.ran in the folder it runs in.
    for (const QString& path : {station + "swupdate.exe", lib + "swupdate.exe", lib + "qwcedit.exe",
                                bin + "syncnwk.exe"}) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(
            "#!/bin/sh\ntouch \"$(basename \"$(dirname \"$0\")\")-$(basename \"$0\")-$1.ran\"\n");
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    }
    QFile(station + "qwcedit.exe").open(QIODevice::WriteOnly); // no program
    qputenv("PATH", bin.toUtf8() + ":" + qgetenv("PATH"));

    QtPrograms programs(station, lib);
    for (const QString& command : QStringList{"syncnwk.exe nowait", bin + "syncnwk.exe",
                                              "swupdate.exe", "qwcedit.exe tclock0.txt"})
        programs.start(command);
    // The station's own swupdate, the installation's viewer, nothing from PATH.
    const QStringList expected = {"lib-qwcedit.exe-tclock0.txt.ran", "station-swupdate.exe-.ran"};
    QStringList ran;
    for (int i = 0; i < 500 && ran != expected; ++i) {
        QThread::msleep(20);
        ran = QDir(station).entryList({"*.ran"}, QDir::Files, QDir::Name);
    }
    EXPECT_EQ(ran.join(" ").toStdString(), expected.join(" ").toStdString());
}

} // namespace
} // namespace pw
