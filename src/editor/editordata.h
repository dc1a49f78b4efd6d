#pragma once
// What the punch editor computes and reads or writes, apart from its window: the selections
// behind its lists and total, the hours recomputation of the edit boxes, the completion of
// typed dates and times, and the three changes it makes to the punch table (save one punch,
// add a new one, approve all of an employee's closed and bad punches).
//
// Rules: every function opens the database it needs and closes it before it returns, so the
// window holds no lock while it waits for the manager. Values are bound, never pasted into
// SQL. A change is made in one transaction or not at all; failures are thrown as DbError.

#include "punch/punchrecord.h"

#include <QList>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <array>
#include <optional>

namespace pw {

class Station;

// The twelve punch boxes' texts, by box index.
using PunchBoxes = std::array<QString, 12>;

// Box indexes.
namespace box {
inline constexpr int indate = 0;
inline constexpr int adjtimein = 1;
inline constexpr int outdate = 2;
inline constexpr int adjtimeout = 3;
inline constexpr int adjreghours = 4;
inline constexpr int tips = 10;
inline constexpr int reason = 11;
} // namespace box

// The editor's selection: a date range and one job (below 1: every job).
struct EditorFilter {
    int from_date = 0;
    int to_date = 0;
    int job = 0;
};

// Employee numbers with a listed punch in the range (open punches included, exported never),
// in number order. The values are those of tckempid as stored.
QList<QVariant> list_employee_ids(Station& st, const EditorFilter& filter);

// One employee's listed punches, each record led by its rowid ("pw_rowid"), and the sum of
// their adjusted regular hours (nullopt when every one is NULL or there is none).
struct EmployeePunches {
    QList<QSqlRecord> rows;
    std::optional<double> total;
};
EmployeePunches read_employee_punches(Station& st, double employee, const EditorFilter& filter);
std::optional<double> sum_adjreghours(Station& st, double employee, const EditorFilter& filter);

// "code - description" for every job in table order.
QStringList job_items(Station& st);
// "empid - empmainname" for every active employee (status value 1, number above 0), by last
// name.
QStringList active_employee_items(Station& st);
// "code - description" for the employee's jobs, by job code.
QStringList employee_job_items(Station& st, double employee);
// The employee's pay rate for the job; nullopt when the job is not assigned to him.
std::optional<double> job_payrate(Station& st, double employee, int job);

// The text after a job item's first "-" and the blank that follows it ("12 - Bartender" gives
// "Bartender").
QString job_item_description(const QString& item);

// Which punch a save is meant for, as it was listed.
struct PunchKey {
    qint64 rowid = 0;
    QVariant empid;
    QVariant indate;
    int status = 0;
};

// The columns a save writes and their values from the boxes: adjusted times and reason as
// typed, out date, hours and tips as the numeric values of their boxes, status approved.
QVariantMap saved_values(const PunchBoxes& boxes);

// Writes saved_values into the punch, in one transaction, and returns those columns as the
// punch now holds them. A punch that another station has since changed in status, or
// removed, is left alone: DbError 3197.
QVariantMap save_punch(Station& st, const PunchKey& key, const PunchBoxes& boxes);

// The new punch's own values, besides the boxes.
struct NewPunch {
    double employee = 0;
    int job = 0;
    QString job_description; // cut to 20 characters when stored
    double payrate = 0;
};
// Adds the approved punch in one transaction; columns not named keep the table's defaults.
void add_new_punch(Station& st, const NewPunch& punch, const PunchBoxes& boxes);

// Approves the employee's closed and bad punches in the selection with "MGR APPROVED".
// Unless bad punches are confirmed, the check for them and the approval share one
// transaction, and nothing is changed when one exists: BadPunchesFound.
// approved: how many punches the approval changed.
enum class ApproveResult { Approved, BadPunchesFound };
ApproveResult approve_all(Station& st, double employee, const EditorFilter& filter,
                          bool bad_confirmed, int* approved = nullptr);

// The hours recomputation of the edit boxes from their dates and times.
enum class CalcOutcome {
    NoDates,        // an in or out date of 0: nothing changes
    AskHoursOnly,   // both times 00:00: ask whether hours are adjusted without times
    OutBeforeIn,    // same date, out time before in time
    OutDateEarlier, // the Regular Hours box shows ".00"
    Hours,          // the Regular Hours box shows hours_text
};
struct CalcResult {
    CalcOutcome outcome = CalcOutcome::NoDates;
    QString hours_text;
};
// The hours the clock pays for the boxes' moments: real time in the station's zone, the shift
// limit (none below 1) and the punch's break rule; 0 for more than 24 hours. No rounding: the
// times are the manager's. offsets: those kept for the boxes' in and out moments, if any.
CalcResult calc_hours(const PunchBoxes& boxes, int shiftlimit, double breaktime = 0,
                      double breakreduction = 0, const PunchOffsets& offsets = {});

// The UTC offsets kept for a listed punch (none for one the clock did not make).
PunchOffsets listed_offsets(Station& st, const QSqlRecord& punch);

// True when text is a real calendar date YYYYMMDD no earlier than not_before.
bool date_box_ok(const QString& text, double not_before = 0);

// A time box's text completed by its length on Enter ("0830" gives "08:30:00"); other
// lengths come back unchanged.
QString complete_punch_time(const QString& text);
// True when the text has ':' as its 3rd and 6th characters.
bool time_format_ok(const QString& text);

// The total box: "######.#0" (7.5 gives "7.50", 0 gives ".00").
QString format_total(double hours);

} // namespace pw
