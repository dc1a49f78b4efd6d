#pragma once
// The range prompts that every report and bulk operation asks its limits with, one value
// per input box, and the employee-number check that turns a number into the name a report
// shows.
//
// Rules: an answer is taken with its blanks trimmed; an empty answer (Cancel, or OK on an
// empty box) cancels the whole prompt at once, leaving what was stored so far. A malformed
// answer shows the same box again, with no message. Employee, job and time answers are kept
// in st.ranges and offered as the next prompt's defaults; dates are never offered again.

#include "station/db.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <optional>
#include <utility>

namespace pw {

class Station;

// Instruction line, the OK line and the cancel line, as every prompt box shows them.
QString prompt_text(const QString& instruction);

struct DateRange {
    QString from_text; // 8 characters each, FROM never sorting after TO
    QString to_text;
    int from = 0; // their whole-number values YYYYMMDD (0 for text that is no number)
    int to = 0;
};
// FROM and TO dates as YYYYMMDD; 4 characters get the clock's year in front. title is the
// caller's report title ("Range of Employees Report"). nullopt when cancelled.
std::optional<DateRange> ask_date_range(Station& st, const QString& title);

// Each sets st.ranges' FROM and TO values (TO never below FROM); false when cancelled.
bool ask_employee_range(Station& st); // numbers of at least 1, fractions kept
bool ask_job_range(Station& st);      // at least 1, rounded half to even
bool ask_time_range(Station& st);     // "HH:MM:SS", short answers completed

// A time answer completed by its length ("08" -> "08:00:00", "0800" -> "08:00:00"); nullopt
// unless the result has 8 characters with ':' as the 3rd and the 6th.
std::optional<QString> complete_time(const QString& answer);

// What check_employee_number returns for a number that no employee has.
inline const QString kRedo = QStringLiteral("REDO");

// The display name for an employee number given as text: trimmed first name, a blank and
// the trimmed last name (a null first name keeps the text in front). Text whose value is 0
// comes back unchanged. An unknown number shows "Invalid employee number!" and returns
// kRedo. Throws DbError when the employee database cannot be read.
QString check_employee_number(Station& st, const QString& text);

// The halves of that check, for a caller that looks many numbers up on one connection: the
// number a text stands for (blanks dropped; 0 means no lookup, the text is its own name),
// and the names of numbers on an open employee database, the statement prepared once.
double checked_number(const QString& text);
class EmployeeNames {
public:
    explicit EmployeeNames(Db& empdb);
    // nullopt for a number no employee has.
    std::optional<QString> name(double number, const QString& text);
    // The name from its parts (first name, last name), as name makes it.
    // A null part is missing.
    static QString name_of(const QString& first, const QString& last, const QString& text);

private:
    RowStatement lookup_;
};

// Every employee's name read at once, in one statement on an open employee database, which
// stays open while names are asked for; each name is made when first asked for.
class AllEmployeeNames {
public:
    explicit AllEmployeeNames(Db& empdb);
    // As EmployeeNames::name; of numbers held twice, the first.
    std::optional<QString> name(double number, const QString& text);

private:
    WholeRows rows_;
    QHash<double, int> at_; // each number's first row
};
// What the check answers for a number without employee: "Invalid employee number!", kRedo.
QString invalid_employee(Station& st);

} // namespace pw
