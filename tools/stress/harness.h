#pragma once
// The parent side of punchstress: a fresh club in a temporary folder made with the suite
// stand-in, the station phase (many station children on one data folder) and the kill phase
// (kill -9 at random moments of punch out, export, import and archive/purge, each change
// then checked whole or absent).

#include <QString>

namespace stress {

struct HarnessOptions {
    int stations = 8;
    int cycles = 200;
    int kills = 50;
    // A connection URI to a PostgreSQL server: the club's databases go to a fresh database
    // there. Empty: SQLite files.
    QString postgres;
    // One more station imports kImportDuringPunches punches while the stations punch.
    bool import_during_punches = false;
    // The stations lose the shared folder for random spells and punch on their own; half
    // leave their last spell's punches to a forward child killed on the way, then run again.
    bool offline = false;
    // The person's pace: before each walk to the clock a station waits a random 0 to 2 x
    // pace_ms (walking up, typing the number and password). 0: back to back, every station
    // always pressing.
    int pace_ms = 0;
};

// Prints the two result lines on stdout; returns 0 when neither found a fault.
int run_harness(const HarnessOptions& options);

} // namespace stress
