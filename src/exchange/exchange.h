#pragma once
// Export and import of punches. A remote station writes the punches of a range of in dates
// and a daily window of in times to the transfer file and marks them exported (status 5,
// tckexport counting the exports); the main station adds every record of such a file to its
// own punch table (status 5 arriving as 4, tckexport counting on).
//
// Rules: the export leaves open punches (status 1) for a later export and says how many it
// left. It marks its records with one statement in one transaction and completes the file
// under a temporary name, renamed into place just before the commit; a failed write or
// rename marks nothing and leaves the old file as it was. The import adds all records of a
// file or none: a line that is no record, or a value that does not fit its column, refuses
// the file, naming the line. A punch the table already holds (same employee, in date,
// recorded in time, job and node) is skipped and counted, and so is a line repeated within
// the file. The main window's one-second timer is stopped while records are written and
// runs again on every way out.

#include <QByteArray>
#include <QString>

class QTimer;

namespace pw {

class Station;

// FROM and TO in-dates (YYYYMMDD) and the daily window of adjusted in times ("HH:MM:SS").
struct ExportRange {
    int from_date = 0;
    int to_date = 0;
    QString from_time;
    QString to_time;
};

// What a range selects: the records below status 5, or with reexport the exported ones.
struct ExportChoice {
    int count = 0;
    bool prior = false; // some were exported before (tckexport above 0)
};
// db_file is the punch database file. Throws DbError.
ExportChoice find_for_export(Station& st, const QString& db_file, const ExportRange& range,
                             bool reexport);

struct ExportResult {
    int written = 0;
    int open_left = 0;  // open punches in the range, left for a later export
    int file_error = 0; // the Files error number when the file could not be written
};
// Writes the chosen records' lines to path (replacing the file when replace, otherwise
// after its old lines) and marks them exported, all under one write lock. Throws DbError;
// a failed write (file_error) marks nothing.
ExportResult write_export(Station& st, const QString& db_file, const ExportRange& range,
                          bool reexport, const QString& path, bool replace);

struct ImportResult {
    int added = 0;
    int already_there = 0; // held by the table already, or repeated in the file
    int error_line = 0;    // the first line that is no record; nothing added then
    QString error;
};
// Adds every new record of the file's bytes to punch, in one transaction. Throws DbError
// (and adds nothing).
ImportResult import_records(Station& st, const QString& db_file, const QByteArray& bytes);

// Stops a timer on request and sets it running again, once a second, when it goes out of
// scope, whether or not it was stopped.
class TimerPause {
public:
    explicit TimerPause(QTimer& timer)
        : timer_(timer) {}
    ~TimerPause();
    TimerPause(const TimerPause&) = delete;
    TimerPause& operator=(const TimerPause&) = delete;
    void stop();

private:
    QTimer& timer_;
};

// The Export Punches button: the file, the range and the questions, then write_export.
void export_punches(Station& st, QTimer& timer);
// The Import Punches button: the file and the confirmation, then import_records.
void import_punches(Station& st, QTimer& timer);

} // namespace pw
