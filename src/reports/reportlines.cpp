#include "reportlines.h"

#include <QLocale>
#include <QStringBuilder>
#include <QVariant>
#include <array>
#include <cmath>

namespace pw {

namespace {

// The digits of |v| rounded to two decimals, as QString::number(|v|, 'f', 2) gives them. Hours
// and rates are most often near a whole number of cents: those are counted in cents. A value
// that lies within a hair of half a cent, or is too large for cents to be exact, is left to
// the exact conversion, which rounds the number's true value.
QString cents_text(double v) {
    const double scaled = std::fabs(v) * 100;
    const double whole = std::floor(scaled);
    if (!(scaled < 1e12) || std::fabs(scaled - whole - 0.5) < 1e-3)
        return QString::number(std::fabs(v), 'f', 2);
    const qint64 cents = qint64(whole) + (scaled - whole > 0.5 ? 1 : 0);
    QString digits = QString::number(cents / 100);
    const int rest = int(cents % 100);
    digits += u'.';
    digits += QChar(u'0' + rest / 10);
    digits += QChar(u'0' + rest % 10);
    return digits;
}

// Two decimals; below 1 the integer digit is shown only when zero_digit. The minus sign
// stands in front of the prefix, as the suite's formats place it; a value that rounds to
// zero has none.
QString two_decimals(double v, bool zero_digit, const QString& prefix) {
    if (!std::isfinite(v))
        v = 0;
    QString digits = cents_text(v);
    const bool negative = v < 0 && digits != QLatin1String("0.00");
    if (!zero_digit && digits.startsWith(QLatin1String("0.")))
        digits.remove(0, 1);
    if (!negative && prefix.isEmpty())
        return digits;
    return (negative ? QStringLiteral("-") : QString()) + prefix + digits;
}

// The first five characters of a "HH:MM:SS" time: hours and minutes.
QString hhmm(const QString& time) {
    return time.left(5);
}

QString job(const ReportRow& row) {
    return number_text(row.jobcode);
}

QString in_date(const ReportRow& row) {
    return report_date(row.indate);
}

const QString kFiveBlanks = QStringLiteral("     ");

QString hours(double v) {
    return two_decimals(v, true, {});
}

// The hours columns of the report's printed form, as one line that fits the list beside the
// manager menu on an 800 pixel screen (30 characters).
QString hours_line(int index, const ReportRow& row) {
    // Each line is built in one piece, its length counted first.
    switch (index) {
    case kWhosPunchedIn:
        return u"  Hours so far " % hours(row.reghours);
    case kRangeOfEmployees:
    case kRangeOfJobs:
        return u"  Reg " % hours(row.reghours) % u" OT " % hours(row.othours) % u" Hol " %
               hours(row.holidayhours);
    case kRecordedVsAdjusted:
        return u"  Hours " % hours(row.reghours) % u", adjusted " % hours(row.adjreghours);
    case kBadPunches:
        return u"  Hours " % hours(row.reghours);
    default: // what the row pays: an overtime row and a holiday shift have no regular hours
        return u"  Hours " % hours(row.adjreghours + row.othours + row.holidayhours);
    }
}

} // namespace

const MenuEntry& menu_entry(int index) {
    static const std::array<MenuEntry, kMenuButtons> entries{{
        {"Who's Punched In?", "Who's Punched In Right Now", "tclk00a.rpt"},
        {"Range of Employees", "Range of Employees", "tclk01a.rpt"},
        {"Range of Jobs", "Range of Jobs", "tclk02a.rpt"},
        {"Recorded vs Adjusted Punch Times", "Actual vs Adjusted Times", "tclk03a.rpt"},
        {"Punch IN Time Range", "Punch IN Time Range", "tclk04a.rpt"},
        {"Sync Network Clock"},
        {"Configuration"},
        {"Edit Punches"},
        {"\"Bad\" Punches", "'Bad' Punches", "tclk05a.rpt"},
        {"Help"},
        {"My Punches - Today", "My Punches Today", "", true},
        {"My Punches This Month", "My Punches This Month", "", true},
        {"My Punches Last Month", "My Punches Last Month", "", true},
        {"My Hours This Month", "My Hours This Month", "", true},
        {"My Hours Last Month", "My Hours Last Month", "", true},
        {"My Hours This Quarter", "My Hours This Quarter", "", true},
        {"Punch OUT Time Range", "Punch OUT Time Range", "tclk06a.rpt"},
        {"Misc. Punch Reports"},
    }};
    static const MenuEntry none{""};
    return index >= 0 && index < kMenuButtons ? entries[static_cast<size_t>(index)] : none;
}

QString menu_caption(int index) {
    return QString::fromLatin1(menu_entry(index).caption);
}

QString quick_title(int index) {
    return QString::fromLatin1(menu_entry(index).title);
}

QString template_name(int index) {
    return QString::fromLatin1(menu_entry(index).report_template);
}

bool is_report_index(int index) {
    return *menu_entry(index).title != '\0';
}

bool is_own_report(int index) {
    return menu_entry(index).own;
}

QString format_blank_hash(double v) {
    return two_decimals(v, false, QStringLiteral(" "));
}
QString format_blank_zero(double v) {
    return two_decimals(v, true, QStringLiteral(" "));
}
QString format_hash3(double v) {
    return two_decimals(v, false, {});
}
QString format_hash5(double v) {
    return two_decimals(v, false, {});
}

QString number_text(double v) {
    if (!std::isfinite(v))
        return QStringLiteral("0");
    if (v == 0)
        return QStringLiteral("0"); // never "-0"
    // Employee, job and date numbers are whole: the integer's text is the same and cheaper.
    if (std::fabs(v) < 1e15 && v == std::trunc(v))
        return QString::number(qint64(v));
    return QString::number(v, 'f', QLocale::FloatingPointShortest);
}

QString report_date(double yyyymmdd) {
    if (yyyymmdd >= 10000000 && yyyymmdd <= 99999999 && yyyymmdd == std::trunc(yyyymmdd)) {
        const int date = int(yyyymmdd);
        const int month = date / 100 % 100;
        const int day = date % 100;
        const QChar text[] = {QChar(u'0' + month / 10), QChar(u'0' + month % 10), QChar(u'/'),
                              QChar(u'0' + day / 10), QChar(u'0' + day % 10)};
        return QString(text, 5);
    }
    const QString digits = number_text(yyyymmdd);
    return digits.mid(4, 2) + u'/' + digits.right(2);
}

QString report_out_date(double yyyymmdd) {
    return yyyymmdd < 100 ? QStringLiteral("00/00") : report_date(yyyymmdd);
}

QStringList report_lines(int index, const ReportRow& row, const QString& name) {
    // Most punches have no reason: their reason lines share one text.
    const QString reason = row.reason.isEmpty() ? kFiveBlanks : kFiveBlanks + row.reason;
    switch (index) {
    case kWhosPunchedIn:
    case kRangeOfEmployees:
    case kRangeOfJobs:
    case kRecordedVsAdjusted:
    case kPunchInTimeRange:
    case kBadPunches:
    case kPunchOutTimeRange: {
        // The out-time report shows when the punch ended, still on the day it began.
        const QString time = hhmm(index == kPunchOutTimeRange ? row.timeout : row.timein);
        return {job(row) % u'-' % in_date(row) % u'@' % time % u'-' % name, hours_line(index, row),
                reason};
    }
    case kMyPunchesToday:
    case kMyPunchesThisMonth:
    case kMyPunchesLastMonth: {
        const QString head = QStringLiteral("Job#") + job(row) + u'-';
        return {
            head + in_date(row) + QStringLiteral(" IN at:  ") + hhmm(row.timein) +
                QStringLiteral("  ") + hhmm(row.adjtimein),
            head + report_out_date(row.outdate) + QStringLiteral(" OUT at: ") + hhmm(row.timeout) +
                QStringLiteral("  ") + hhmm(row.adjtimeout),
            head + in_date(row) + QStringLiteral(" Hours:  ") + format_blank_hash(row.reghours) +
                QStringLiteral("  ") + format_blank_hash(row.adjreghours),
            reason,
            QString(34, u'-'),
        };
    }
    case kMyHoursThisMonth:
    case kMyHoursLastMonth:
    case kMyHoursThisQuarter:
        return {QStringLiteral("Job #") + job(row) + u'-' + in_date(row) + u'-' +
                    format_blank_zero(row.reghours) + QStringLiteral(" hrs") +
                    QStringLiteral("  ") + format_blank_zero(row.adjreghours) +
                    QStringLiteral(" hrs"),
                reason};
    default:
        return {};
    }
}

void ReportTotals::add(const ReportRow& row) {
    rows += 1;
    payrate_sum += std::isfinite(row.payrate) ? std::llround(row.payrate * 10000) : 0;
    reghours += row.reghours;
    adjreghours += row.adjreghours;
}

QStringList report_footer(int index, const ReportTotals& totals) {
    if (index == kWhosPunchedIn) {
        if (totals.rows == 0)
            return {};
        const double average = double(totals.payrate_sum) / 10000 / totals.rows;
        return {QString(31, u'-'), QStringLiteral("Avg payrate/hr: $") + format_hash5(average)};
    }
    if (index == kMyHoursThisMonth || index == kMyHoursLastMonth || index == kMyHoursThisQuarter)
        return {QString(35, u'-'), QStringLiteral("Total hours:   ") +
                                       format_hash3(totals.reghours) + QString(6, u' ') +
                                       format_hash3(totals.adjreghours)};
    return {};
}

} // namespace pw
