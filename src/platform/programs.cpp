#include "programs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace pw {

namespace {

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// How often the programs still running are looked at.
constexpr int kReapMs = 1000;

bool bare_name(const QString& name) {
    return !name.isEmpty() && !name.contains('/') && name != "." && name != "..";
}

// Starts program with args in workdir, in a session of its own, without waiting for it. The
// station is held only until the program's exec, and no copy of its memory is made first,
// which for a station with its windows open costs milliseconds. The process id, or 0 when it
// could not start.
pid_t spawn(const QString& program, const QStringList& args, const QString& workdir) {
    QByteArrayList words{QFile::encodeName(program)};
    for (const QString& arg : args)
        words += arg.toLocal8Bit();
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray folder = QFile::encodeName(workdir);
    if (!folder.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.constData());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : 0;
}

} // namespace

bool own_copy(const QString& local, const QString& installed) {
    const QFileInfo info(local);
    if (!info.isFile() || info.isSymLink())
        return false;
    QByteArray mine = contents(local);
    // What the installer wrote, of this release or an earlier one.
    if (mine.contains("Parvela stand-in") || mine.contains("usage: qwcedit FILE"))
        return false;
    QByteArray theirs = contents(installed);
    // A help text copied with other line ends is still a copy.
    return mine.replace('\r', "") != theirs.replace('\r', "");
}

QString preferred_file(const QString& station_folder, const QString& installed_folder,
                       const QString& name) {
    const QString local = QDir(station_folder).filePath(name);
    const QString installed =
        installed_folder.isEmpty() ? QString() : QDir(installed_folder).filePath(name);
    if (!installed.isEmpty() && QFileInfo(installed).isFile() && !own_copy(local, installed))
        return QFileInfo(installed).absoluteFilePath();
    return QFileInfo(local).isFile() ? QFileInfo(local).absoluteFilePath() : QString();
}

QtPrograms::QtPrograms(QString workdir, QString libdir, QString helpdir)
    : workdir_(std::move(workdir))
    , libdir_(std::move(libdir))
    , helpdir_(std::move(helpdir)) {}

QtPrograms::~QtPrograms() = default;

bool QtPrograms::exists(const QString& name) const {
    return QFileInfo(QDir(workdir_).filePath(name)).isFile();
}

QString QtPrograms::locate(const QString& name) const {
    // A bare file name only: "../x" or "/bin/x" must not reach outside the two folders.
    if (!bare_name(name))
        return {};
    const QString program = preferred_file(workdir_, libdir_, name);
    return !program.isEmpty() && QFileInfo(program).isExecutable() ? program : QString();
}

void QtPrograms::start(const QString& command_line) {
    reap();
    QStringList args = QProcess::splitCommand(command_line);
    if (args.isEmpty())
        return;
    const QString program = locate(args.takeFirst());
    if (program.isEmpty())
        return;
    for (QString& arg : args)
        if (bare_name(arg) && !helpdir_.isEmpty() &&
            QFileInfo(QDir(helpdir_).filePath(arg)).isFile())
            arg = preferred_file(workdir_, helpdir_, arg);
    if (const pid_t pid = spawn(program, args, workdir_)) {
        started_.push_back(pid);
        if (!reaper_) {
            reaper_ = std::make_unique<QTimer>();
            reaper_->setInterval(kReapMs);
            QObject::connect(reaper_.get(), &QTimer::timeout, [this] { reap(); });
        }
        reaper_->start();
    }
}

// The programs started here are this process's children: each one that has ended is let go,
// at the next start or within a second or two, so that none is left behind as a zombie while
// the station runs.
void QtPrograms::reap() {
    std::erase_if(started_, [](qint64 pid) { return waitpid(pid_t(pid), nullptr, WNOHANG) != 0; });
    if (started_.empty() && reaper_)
        reaper_->stop();
}

} // namespace pw
