#pragma once
// The reports of the two menus: the manager's punch reports, which ask their limits with the
// range prompts, and the employee's own punches and hours, whose dates come from the clock.
// Each builds one query on the punch table and hands it to the report engine.
//
// Rules: every value of a query is bound, so a typed time holding a quote selects nothing.
// Month bounds use day 00 and day 32 below and above every real day, so no month length is
// ever computed.

#include "reportengine.h"
#include "reportlines.h"

#include <QDate>
#include <optional>

namespace pw {

class Station;

// Inclusive YYYYMMDD bounds for "tckindate between from and to".
struct DateBounds {
    int from = 0;
    int to = 0;
    friend bool operator==(const DateBounds&, const DateBounds&) = default;
};
DateBounds this_month_bounds(const QDate& today);   // yyyymm01 .. yyyymm32
DateBounds last_month_bounds(const QDate& today);   // day 00 .. day 32 of the month before
DateBounds this_quarter_bounds(const QDate& today); // first month's 01 .. last month's 32

// The prompts and the query of a manager report (0 to 4, 8, 16); st.ranges take the
// answers. nullopt when the user cancelled or index is no manager report.
std::optional<ReportQuery> manager_query(Station& st, int index);

// The query of an own report (10 to 15) for the identified employee (st.who.number);
// nullopt when index is no own report.
std::optional<ReportQuery> own_query(Station& st, int index);

// Query and engine in one. The result says whether to offer "Print Report"; nullopt when
// the report was cancelled at a prompt (the list stays as it was).
std::optional<bool> manager_report(Station& st, LineList& list, int index);
std::optional<bool> own_report(Station& st, LineList& list, int index);

} // namespace pw
