#include "punchreports.h"

#include "prompts.h"
#include "punch/punchrecord.h"
#include "reportlines.h"
#include "station/station.h"

namespace pw {

namespace {

int yyyymm00(int year, int month) {
    return year * 10000 + month * 100;
}

// The title the date prompt shows for a manager report; empty for one that asks nothing.
QString date_title(int index) {
    switch (index) {
    case kRangeOfEmployees:
        return QStringLiteral("Range of Employees Report");
    case kRangeOfJobs:
        return QStringLiteral("Range of Jobs Report");
    case kRecordedVsAdjusted:
        return QStringLiteral("Recorded vs Actual Report");
    case kPunchInTimeRange:
        return QStringLiteral("Punch IN Time Range Report");
    case kBadPunches:
        return QStringLiteral("Bad Punch Report");
    case kPunchOutTimeRange:
        return QStringLiteral("Punch OUT Time Range Report");
    default:
        return {};
    }
}

// The punches of the date range whose column lies between from and to, and more conditions
// with their values when given.
ReportQuery range_query(const Ranges& r, const QString& column, const QVariant& from,
                        const QVariant& to, const QString& order, const QString& more = {},
                        const QVariantList& more_binds = {}) {
    return {QStringLiteral("select * from punch where tckindate between ? and ? and ") + column +
                QStringLiteral(" between ? and ?") + more + QStringLiteral(" order by ") + order,
            QVariantList{r.from_date, r.to_date, from, to} + more_binds};
}

} // namespace

DateBounds this_month_bounds(const QDate& today) {
    const int s = yyyymm00(today.year(), today.month());
    return {s + 1, s + 32};
}

DateBounds last_month_bounds(const QDate& today) {
    if (today.month() > 1) {
        // Day 00 of the month before (20040315 -> 20040200).
        const int s = yyyymm00(today.year(), today.month()) - 100;
        return {s, s + 32};
    }
    // January: day 00 to day 31 of the December before.
    const int s = (today.year() - 1) * 10000 + 1200;
    return {s, s + 31};
}

DateBounds this_quarter_bounds(const QDate& today) {
    const int first = (today.month() - 1) / 3 * 3 + 1;
    return {yyyymm00(today.year(), first) + 1, yyyymm00(today.year(), first + 2) + 32};
}

std::optional<ReportQuery> manager_query(Station& st, int index) {
    Ranges& r = st.ranges;
    if (index == kWhosPunchedIn)
        return ReportQuery{QStringLiteral("select * from punch where tckstatus = ? order by "
                                          "tckjobcode, tckindate, tcktimein, tckempid"),
                           {int(kOpen)}};
    const QString title = date_title(index);
    if (title.isEmpty())
        return std::nullopt;

    const std::optional<DateRange> dates = ask_date_range(st, title);
    if (!dates)
        return std::nullopt;
    r.from_date = dates->from;
    r.to_date = dates->to;

    switch (index) {
    case kRangeOfEmployees:
        if (!ask_employee_range(st))
            return std::nullopt;
        return range_query(r, QStringLiteral("tckempid"), r.from_employee, r.to_employee,
                           QStringLiteral("tckindate, tckempid"));
    case kRangeOfJobs:
    case kRecordedVsAdjusted: // the same list; only its printed form differs
        if (!ask_job_range(st))
            return std::nullopt;
        return range_query(r, QStringLiteral("tckjobcode"), r.from_job, r.to_job,
                           QStringLiteral("tckjobcode, tckempid, tckindate"));
    case kPunchInTimeRange:
    case kPunchOutTimeRange:
        if (!ask_time_range(st) || !ask_employee_range(st))
            return std::nullopt;
        {
            // Both select by the punch-in date, also for punches that ended after midnight.
            const QString time = index == kPunchInTimeRange ? QStringLiteral("tcktimein")
                                                            : QStringLiteral("tcktimeout");
            return range_query(r, time, r.from_time, r.to_time, "tckempid, tckindate, " + time,
                               QStringLiteral(" and tckempid between ? and ?"),
                               {r.from_employee, r.to_employee});
        }
    case kBadPunches:
        return ReportQuery{QStringLiteral("select * from punch where tckstatus = ? and "
                                          "tckindate between ? and ? order by tckindate"),
                           {int(kBad), r.from_date, r.to_date}};
    default:
        return std::nullopt;
    }
}

std::optional<ReportQuery> own_query(Station& st, int index) {
    const double employee = st.who.number;
    const QString by_month = QStringLiteral(
        "select * from punch where tckempid = ? and tckindate between ? and ? order by tckindate");
    auto month_query = [&](const DateBounds& b) {
        return ReportQuery{by_month, {employee, b.from, b.to}};
    };
    set_today(st);
    const QDate today = st.clock().now().date();
    switch (index) {
    case kMyPunchesToday:
        return ReportQuery{
            QStringLiteral("select * from punch where tckempid = ? and tckindate = ?"),
            {employee, st.today}};
    case kMyPunchesThisMonth:
    case kMyHoursThisMonth:
        return month_query(this_month_bounds(today));
    case kMyPunchesLastMonth:
    case kMyHoursLastMonth:
        return month_query(last_month_bounds(today));
    case kMyHoursThisQuarter:
        return month_query(this_quarter_bounds(today));
    default:
        return std::nullopt;
    }
}

std::optional<bool> manager_report(Station& st, LineList& list, int index) {
    const std::optional<ReportQuery> query = manager_query(st, index);
    if (!query)
        return std::nullopt;
    return run_report(st, list, index, *query);
}

std::optional<bool> own_report(Station& st, LineList& list, int index) {
    const std::optional<ReportQuery> query = own_query(st, index);
    if (!query)
        return std::nullopt;
    return run_report(st, list, index, *query);
}

} // namespace pw
