#pragma once
// The benchmark club: a data folder laid out by the suite stand-in, then filled in bulk with
// 5,000 employees holding 1 to 3 of 20 jobs and a given number of punches over three years
// (about 200 open on the last day, the last 100,000 unexported). Seeded, so every run sees
// the same rows; folders are kept between runs under a name that carries the format version.

#include <QString>

namespace bench {

struct Club {
    QString root;     // the cached folder
    QString data;     // the mapdrive, ending in "/"
    QString station;  // the working folder, ending in "/"
    QString pristine; // a copy of PUNCHCLK.MDB as made, restored before writing cases
    QString import;   // a transfer file of 100,000 punches the folder does not hold
    int rows = 0;
    int first_day = 0; // YYYYMMDD of the first and last punch
    int last_day = 0;
    int unexported_day = 0; // in date of the first of the last 100,000 punches
    int half_day = 0;       // in date by which half the punches lie
};

// Builds (or finds) the club of rows punches under cache_dir.
Club make_club(const QString& cache_dir, int rows);

// Puts the punch database back as the data maker left it.
void restore_punches(const Club& club);

// Employees for the single-punch paths: one without an open punch, and his first job.
constexpr int kEmployee = 17;
// Employee 1 is a manager.
constexpr int password_of(int employee) {
    return employee == 1 ? 20001 : 1000 + employee;
}
constexpr int kEmployees = 5000;

} // namespace bench
