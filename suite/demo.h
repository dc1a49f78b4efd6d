#pragma once
// The demo club: a handful of staff with one to three jobs, a few weeks of punches up to
// a given day (one employee still punched in), open sales tickets and holidays. The same
// day always gives the same data, so a demo can be rebuilt and compared.

#include "installation.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace suite {

struct DemoLogin {
    int empid = 0;
    qint64 password = 0;
    QString name;
    QString role; // "manager", "employee" or "inactive"
};

// The sample staff, as parvsetup --demo prints them.
QList<DemoLogin> demo_logins();

// Holiday keys MMDD of the demo's holiday.dat.
QStringList demo_holidays();

// Which databases were made in this run; only those take the demo's rows, so a kept
// database never gets the rows a second time.
struct DemoTargets {
    bool emp = false;
    bool punch = false;
    bool config = false;
    bool pos = false;
};

// Adds the demo's rows to the databases made; stops at the first that fails and names it
// ("could not add demo data to PATH"), else returns an empty text.
QString add_demo_data(const Installation& inst, const QDate& today, const DemoTargets& targets,
                      QStringList* report = nullptr);

} // namespace suite
