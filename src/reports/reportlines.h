#pragma once
// The text of the on-screen reports: the table of the menu's buttons and their reports, the
// number formats of the report lines, the lines each punch row becomes by report index, and
// the footers. Pure functions: the engine feeds them rows and writes what they return.

#include <QString>
#include <QStringList>

namespace pw {

// The report buttons of the two menus, by their index in the menu.
enum ReportIndex {
    kWhosPunchedIn = 0,
    kRangeOfEmployees = 1,
    kRangeOfJobs = 2,
    kRecordedVsAdjusted = 3,
    kPunchInTimeRange = 4,
    kBadPunches = 8,
    kMyPunchesToday = 10,
    kMyPunchesThisMonth = 11,
    kMyPunchesLastMonth = 12,
    kMyHoursThisMonth = 13,
    kMyHoursLastMonth = 14,
    kMyHoursThisQuarter = 15,
    kPunchOutTimeRange = 16,
};

inline constexpr int kMenuButtons = 18;

// What each menu button is, by index: its caption; for a report, the quick print's title, the
// detailed print's template and whose report it is. A button without a title is an action.
struct MenuEntry {
    const char* caption;
    const char* title = "";           // "" for an action
    const char* report_template = ""; // "" for the employee's own reports and the actions
    bool own = false;                 // the employee's own report (the "Report" menu)
};

// The entry of a button, an empty one outside 0 to 17.
const MenuEntry& menu_entry(int index);
QString menu_caption(int index);
// The quick print's title of a report ("Who's Punched In Right Now"), "" for none.
QString quick_title(int index);
// The template file of a report ("tclk00a.rpt"); "" for the own reports.
QString template_name(int index);
bool is_report_index(int index);
bool is_own_report(int index);

// The number formats, each rounding to two decimals with a decimal point and no thousands
// separator. A negative number gets its minus sign in front of everything, blank included.
QString format_blank_hash(double v); // " #.#0": 8.5 -> " 8.50", 0.5 -> " .50"
QString format_blank_zero(double v); // " 0.#0": 8.5 -> " 8.50", 0.5 -> " 0.50"
QString format_hash3(double v);      // "###.#0": 40.25 -> "40.25", 0 -> ".00"
QString format_hash5(double v);      // "#####.#0": 11.25 -> "11.25", 0 -> ".00"

// The shortest decimal text of a number: 12 -> "12", 12.5 -> "12.5".
QString number_text(double v);

// A YYYYMMDD date as "MM/DD" (characters 5 and 6, "/", the last two).
QString report_date(double yyyymmdd);
// The punch-out date the same way, "00/00" while the punch is open (below 100).
QString report_out_date(double yyyymmdd);

// The columns of a punch row that report lines and footers read. Null times and reasons read
// as empty text, null numbers (and text that is no number) as 0.
struct ReportRow {
    double jobcode = 0;
    double indate = 0;
    double outdate = 0;
    double payrate = 0;
    double reghours = 0;
    double adjreghours = 0;
    double othours = 0;
    double holidayhours = 0; // the holiday hours and the holiday overtime
    QString timein;
    QString timeout;
    QString adjtimein;
    QString adjtimeout;
    QString reason;
};

// The lines one punch row adds to the list of report index, name being the row's display
// name. A manager's report shows under each punch's line the hours its printed form has.
QStringList report_lines(int index, const ReportRow& row, const QString& name);

// What the footer needs, summed over the listed rows.
struct ReportTotals {
    int rows = 0;
    qint64 payrate_sum = 0; // in ten-thousandths, as currency is kept
    double reghours = 0;
    double adjreghours = 0;

    void add(const ReportRow& row);
};

// The lines after the last row: the average pay rate of "Who's Punched In?" (only when a row
// was listed) and the hours totals of the hours reports (always).
QStringList report_footer(int index, const ReportTotals& totals);

} // namespace pw
