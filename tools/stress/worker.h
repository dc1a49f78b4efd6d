#pragma once
// The child side of punchstress: one real station (Station, main window offscreen, the whole
// wiring) in its own station folder, driven as a person drives it. The parent starts the
// same program with --worker MODE and reads back what the child saw.
//
// Modes: "station" punches one employee in and out for a number of cycles (some cycles on an
// employee other stations share) and logs every punch the screen confirmed; "punchout",
// "export", "import" and "purge" run one long operation for the kill trials and print
// "ready" on stdout just before it starts.

#include <QStringList>

namespace stress {

// Runs the worker described by args (everything after --worker). Returns the exit code.
int run_worker(const QStringList& args);

} // namespace stress
