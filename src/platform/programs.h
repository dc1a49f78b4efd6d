#pragma once
// Sibling programs of the suite, started by plain file name without waiting for them.
//
// The installation's programs (/usr/lib/punchwell) and help texts (/usr/share/punchwell/help)
// come before copies in the station folder, so that an upgrade of the package reaches every
// station. A copy in the station folder is used instead only when it is the station's own: a
// file (not a link) that differs from the installed one and is none of the files the suite's
// installer writes (its stand-ins and its viewer name themselves in their text).

#include <QString>

#include <memory>
#include <vector>

class QTimer;

namespace pw {

// Whether the station folder's file local is the station's own, to be used instead of
// installed (which may be missing).
bool own_copy(const QString& local, const QString& installed);
// The file to use for name, a bare file name: installed_folder's unless station_folder holds
// its own copy, station_folder's when the installation has none. Empty when neither has it.
QString preferred_file(const QString& station_folder, const QString& installed_folder,
                       const QString& name);

class Programs {
public:
    virtual ~Programs() = default;
    // True when a file of that name is in the station's working folder.
    virtual bool exists(const QString& name) const = 0;
    // Starts "name args..." detached, in the working folder. The name is looked for in the
    // installation's program folder and the working folder (see above), and nowhere else: a
    // program of the same name elsewhere on PATH is never run. One that is not found, or fails
    // to start, is ignored. An argument naming a help text is the installed one's path unless
    // the station folder holds its own.
    virtual void start(const QString& command_line) = 0;
};

class QtPrograms : public Programs {
public:
    // libdir: the installation's folder of stand-in programs (/usr/lib/punchwell when
    // installed from the package); helpdir: its help texts (/usr/share/punchwell/help).
    QtPrograms(QString workdir, QString libdir, QString helpdir = {});
    ~QtPrograms() override;
    bool exists(const QString& name) const override;
    void start(const QString& command_line) override;
    // Where start() would run name from; empty when it would not run anything.
    QString locate(const QString& name) const;

private:
    void reap();

    QString workdir_;
    QString libdir_;
    QString helpdir_;
    std::vector<qint64> started_;    // process ids of the programs started and not yet ended
    std::unique_ptr<QTimer> reaper_; // looks for ended ones while any is left
};

} // namespace pw
