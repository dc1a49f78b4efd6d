#pragma once
// The one object that holds the station-wide values: the platform behind it, the working
// folder, the Settings, the identified employee and job, the run-state of the main window
// and the range values kept between report prompts. Windows and routines receive it by
// reference; nothing of it is global.

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/keyboard.h"
#include "platform/printers.h"
#include "platform/programs.h"
#include "station/db.h"
#include "station/session.h"
#include "station/settings.h"

#include <QSet>
#include <QString>

namespace pw {

struct Platform {
    Dialogs& dialogs;
    Clock& clock;
    Printers& printers;
    Programs& programs;
    Files& files;
    Keyboard* keyboard = nullptr; // none when left out: a station without windows
};

struct RunState {
    int alreadyrunning = 0; // -5 when another copy was found at start-up
    int clearcountdown = 0;
    int printeroff = 0;
    int report_index = 0;
    // While a receipt question waits: when it was asked (it answers itself No 15 s on).
    QDateTime receipt_asked;
    // When the pay rules could not be read: the next try.
    QDateTime payrules_retry;
    // The punch the last result spoke of, as stored: its job and its rounded time (in or
    // out). Read by the stress harness, which matches what each station did to the rows.
    int last_job = 0;
    QString last_time;
    // Punching without the club: since when (invalid while the club is reached), how many
    // punches wait in the journal, and when the copy is next refreshed or the journal sent.
    QDateTime offline_since;
    int offline_waiting = 0;
    QDateTime next_copy;
    QDateTime next_forward;
    // When the club last failed to answer (Code 75): for half a minute from then Ok does
    // not wait for it again. Invalid once the journal was sent on or the server answered.
    QDateTime unreached_at;
    // While the club is reached: when its server is next asked whether it still answers.
    QDateTime next_ask;
};

// Answers of the range prompts, offered again as defaults by the next prompt.
struct Ranges {
    double from_employee = 0;
    double to_employee = 0;
    int from_job = 0;
    int to_job = 0;
    QString from_time;
    QString to_time;
    int from_date = 0;
    int to_date = 0;
};

class Station {
public:
    Station(Platform io, QString workdir);

    Dialogs& dialogs() const { return io_.dialogs; }
    Clock& clock() const { return io_.clock; }
    Printers& printers() const { return io_.printers; }
    Programs& programs() const { return io_.programs; }
    Files& files() const { return io_.files; }
    Keyboard& keyboard() const { return io_.keyboard ? *io_.keyboard : no_keyboard_; }

    // The working folder: the folder of parvnode.ini, captured at start-up.
    const QString& workdir() const { return workdir_; }
    // A bare file name in the working folder.
    QString local(const QString& name) const;
    // A path as the Settings form it (prefix + name), made absolute against the working
    // folder when the prefix is relative or empty, with the last component resolved in any
    // letter case.
    QString path(const QString& prefixed) const;
    // mapdrive + name, as path() resolves it.
    QString shared(const QString& name) const { return path(settings.mapdrive + name); }

    // How long a database waits for another station's lock before it reports 3045.
    int busy_timeout_ms = 3000;
    // How this station reaches the shared databases: the busy timeout, and the server of
    // parvnode.ini's DATABASE= line serving mapdrive's .MDB databases.
    DbAccess db_access() const;
    // The server connections kept open between this station's operations.
    ServerConnections* kept_connections() const { return connections_.get(); }

    Settings settings;
    Session who; // the person at the clock
    PasswordGuard passwords;
    RunState run;
    Ranges ranges;
    int today = 0; // YYYYMMDD
    // Punch databases (by path) whose side tables this process has made sure of.
    QSet<QString> side_tables_made;
    // The station's offline file has its tables.
    bool offline_ready = false;

private:
    Platform io_;
    mutable NoKeyboard no_keyboard_;
    QString workdir_;
    QString workdir_slash_; // the working folder as QDir has it, ending in '/'
    std::shared_ptr<ServerConnections> connections_ = keep_server_connections();
    // The data folder as db_access last worked it out, and the mapdrive it came from.
    mutable QString data_folder_, data_folder_from_;
};

} // namespace pw
