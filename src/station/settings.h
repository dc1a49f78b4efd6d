#pragma once
// The Settings record: the node's folders and numbers from parvnode.ini, the names derived
// from them, the pay rules from the payroll table pr and the station's tclock.ini; the holiday
// list is read when asked. Filled by initnode and loadsettings; read everywhere.

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace pw {

class Station;

inline constexpr auto kVersion = "21.12.28a";
inline constexpr auto kTitle = "Parvela Punchwell - v21.12.28a";

struct Settings {
    // From parvnode.ini. Prefixes are used verbatim: name = prefix + file name.
    QString mapdrive;
    QString localdrive;
    int nodenumber = 0;
    int posunit = 0;
    // DATABASE=: a PostgreSQL connection URI serving the shared databases; empty: the
    // SQLite files in mapdrive.
    QString database;

    // Derived by initnode.
    QString reportdb;  // "RPTnn.MDB", in the working folder
    QString posholddb; // "HBPOSXnn.MDB", in the working folder
    QString postempdb; // mapdrive + "HBPOSTMP.MDB"

    // Derived by loadsettings.
    QString configdb;
    QString empdb;
    QString punchdb;
    QString tclockini;

    int suitemissing = 0;

    // From pr. Until pr has been read (or when the last reading failed) the station does not
    // punch: no default stands in for a club's rules or its configuration password.
    bool payrules_loaded = false;
    int payrules_error = 0; // the code of the failed reading
    int nextprdate = 0;
    int shiftlimit = 0;
    int inrounding = 0;
    int outrounding = 0;
    QString managerpassword;
    std::array<QString, 7> reasons; // 1 to 6; entry 0 unused
    int wwstartday = 1;
    // The note of pr values out of range last written to admlog.ini, so a reread that finds
    // the same ones does not write it again.
    QString range_note;

    // From tclock.ini.
    int receiptprinter = 0;
    int printertype = 0;
    int remotemode = 0;
};

// Pay settings out of their ranges count as 0, wherever they come from: a rounding unit above
// 60 minutes, a work week start day outside 0 to 7.
int checked_rounding(int unit);
int checked_wwstartday(int day);

// Fixed reason texts for reasons left empty, by number 1 to 6.
QString default_reason(int n);

// Reads parvnode.ini from the working folder. False (after telling the user) when missing.
bool initnode(Station& st);
// Sets suitemissing: 1 unless mapdrive + "parv.exe" is found.
void checksuite(Station& st);
// The keys MMDD of mapdrive holiday.dat as they stand now (at most 366); nullopt when it
// cannot be read.
std::optional<QStringList> holiday_keys(Station& st);
// Whether holiday.dat, read now, lists the month and day of the YYYYMMDD date. Read when
// asked, never kept: the banner and holiday pay see the file other stations see, also after
// it changed during the day. A file that cannot be read holds no holiday.
bool holiday_on(Station& st, int date);
// Reads pr and tclock.ini (creating or completing tclock.ini). A pr that cannot
// be read leaves payrules_loaded false (logged, no box): the caller says so and tries again.
void loadsettings(Station& st);
// The message line while the pay rules cannot be read.
QString payrules_waiting_text(const Settings& s);
// Whether typed is the club's configuration password (letter case aside). Never while the
// pay rules are not loaded.
bool manager_password_right(const Settings& s, const QString& typed);

// The tclock.ini line: each number in list-print form, commas between, CR LF.
QByteArray tclock_ini_line(int receiptprinter, int printertype, int remotemode);

} // namespace pw
