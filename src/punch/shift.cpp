#include "shift.h"

#include "punch/employee.h"
#include "punch/hours.h"
#include "punch/receipts.h"
#include "punch/results.h"
#include "station/db.h"
#include "station/messages.h"
#include "station/settings.h"
#include "station/station.h"

#include <optional>
#include <type_traits>

namespace pw {

namespace {

constexpr int kLogAttempts = 10;

// Runs press on the punch database, opened for writing. nullopt, after telling the user, when
// the database is missing, found so before or by press's first statement.
template <class Press>
auto on_punch_db(Station& st, Press press) -> std::optional<std::invoke_result_t<Press, Db&>> {
    const QString file = punch_db_for_press(st, st.settings.punchdb);
    if (file.isEmpty())
        return std::nullopt;
    try {
        Db db(file, DbMode::ReadWrite, st.db_access());
        return press(db);
    } catch (const DbError& e) {
        if (!tell_if_missing(st, e, st.settings.punchdb))
            throw;
    }
    return std::nullopt;
}

} // namespace

BreakRule job_break_rule(Station& st, int job_code) {
    Db db(st.path(st.settings.empdb), DbMode::ReadOnly, st.db_access());
    QSqlQuery q = db.run(
        QStringLiteral("select breaktime, breakreduction from jobs where jobcode = ?"), {job_code});
    if (!fetch(q))
        throw DbError(3021, QStringLiteral("No current record."));
    return {q.value(0).toDouble(), q.value(1).toDouble()};
}

QByteArray punch_log_line(int date, const QString& time, double employee, int job_code,
                          const QString& kind) {
    const QChar sep = QLatin1Char('\\');
    return (QString::number(date) + sep + time + sep + plain_number(employee) + sep +
            QString::number(job_code) + sep + kind + QStringLiteral("\r\n"))
        .toUtf8();
}

bool write_punch_log(Station& st, int date, const QString& time, double employee, int job_code,
                     const QString& kind) {
    const QString path = st.shared(QStringLiteral("tclog.clk"));
    const QByteArray line = punch_log_line(date, time, employee, job_code, kind);
    bool written = false;
    for (int attempt = 1; attempt <= kLogAttempts; ++attempt) {
        const int code = st.files().append(path, line);
        if (code == 0) {
            written = true;
            break;
        }
        let_events_run();
        // An unreachable folder will not come back within seconds; a file another station
        // holds open for a moment may.
        if (code == 75 || attempt == kLogAttempts)
            break;
        pausesecond(st);
    }
    let_events_run();
    return written;
}

OpenOutcome open_shift(Station& st, const Session& who) {
    return open_shift(st, who, st.clock().now(), {});
}

OpenOutcome open_shift(Station& st, const Session& who, const QDateTime& now,
                       const AlsoInTransaction& also) {
    OpenOutcome out;
    QString& punch_time = out.punch_time;
    Stamp& in = out.in;
    const BreakRule rule = job_break_rule(st, who.job_code);

    // One connection for the check and the insert, which share the write lock: of two
    // stations punching the same employee in at once, the second finds the first one's
    // punch.
    const std::optional<bool> done = on_punch_db(st, [&](Db& db) {
        PunchBuffer buf;
        // One reading of the clock for the date and the time, so a punch at midnight cannot
        // take the date of one day and the time of the next.
        set_today(st);
        punch_time = clock_text(now.time());
        in = rounded_in(now, st.settings.inrounding);
        make_side_tables_once(st, db);

        buf[col::tckindate] = in.date;
        buf[col::tckempid] = who.number;
        buf[col::tckjobcode] = who.job_code;
        buf[col::tckjobdescription] = who.job_description;
        buf[col::tckpayrate] = who.pay_rate;
        buf[col::tckbreaktime] = rule.breaktime;
        buf[col::tckbreakreduction] = rule.breakreduction;
        buf[col::tcktimein] = punch_time;
        buf[col::tckadjtimein] = in.time;
        buf[col::tckstatus] = int(kOpen);
        Transaction tx(db, WriteLock::Employee, who.number);
        out.already = find_open_punch(db, who.number);
        if (!out.already) {
            insert_punch_row(db, buf);
            keep_in_offset(db, buf, now.offsetFromUtc());
            if (also)
                also(db);
            tx.commit();
        }
        return true;
    });
    out.stopped = !done;
    return out;
}

bool close_for_review(Station& st, const Session& who, const QDateTime& at, const QString& reason) {
    const PunchQuery query = open_punch_query(who.number, who.job_code);
    return on_punch_db(st,
                       [&](Db& db) {
                           PunchBuffer open;
                           if (read_punch_row(db, query, open) != RowResult::Done)
                               return false;
                           ShiftClose closed;
                           return close_punch(st, db, open, query, at, closed, reason);
                       })
        .value_or(false);
}

PunchQuery open_punch_query(double employee, int job_code) {
    return {QStringLiteral("tckempid = ? and tckjobcode = ? and tckstatus = ?"),
            {employee, job_code, int(kOpen)}};
}

ShiftClose close_shift(const PunchBuffer& open, const QDateTime& now, const PayRules& rules,
                       double W, std::optional<int> in_offset, const QString& review) {
    ShiftClose c;
    PunchBuffer& row = c.shift;
    row = open;
    clear_busy(row);
    c.punch_time = clock_text(now.time());
    c.punch_date = yyyymmdd(now.date());
    row[col::tcktimeout] = c.punch_time;
    // A rounded midnight ends the day it closes at "24:00:00".
    const Stamp out = rounded_out(row.integer(col::tckindate), now, rules.outrounding);
    row[col::tckoutdate] = out.date;
    row[col::tckadjtimeout] = out.time;
    row[col::tckstatus] = int(kClosed);

    const ShiftPay pay =
        shift_pay({row.integer(col::tckindate), row.text(col::tckadjtimein), in_offset},
                  {out.date, out.time, now.offsetFromUtc()}, rules.shiftlimit,
                  row.number(col::tckbreaktime), row.number(col::tckbreakreduction));
    if (pay.limit_struck)
        row[col::tckstatus] = int(kBad);
    QStringList reasons;
    if (!pay.review.isEmpty())
        reasons << pay.review;
    if (!review.isEmpty())
        reasons << review;
    if (!reasons.isEmpty()) {
        row[col::tckstatus] = int(kBad);
        row[col::tckadjreason] = reasons.join(QStringLiteral("; "));
    }
    const double H = pay.hours;
    row[col::tckreghours] = H;
    if (rules.holiday) {
        row[col::tckadjreghours] = 0.0;
        row[col::tckholidayhours] = H;
    } else {
        row[col::tckadjreghours] = H;
    }
    const PunchBuffer before_split = row;

    const WeeklySplit s = weekly_split(W, H, rules.holiday, rules.weekly);
    row[col::tckreghours] = s.reghours;
    row[col::tckadjreghours] = s.adjreghours;
    if (rules.holiday)
        row[col::tckholidayhours] = s.holidayhours;
    if (s.othours != 0)
        row[col::tckothours] = s.othours;
    c.hours = s.hours;
    c.overtime_hours = s.overtime;

    if (s.overtime > 0) {
        // The second row repeats the shift (dates, times, job, pay rate, status) and carries
        // only the overtime.
        PunchBuffer ot = before_split;
        ot.rowid.reset();
        set_busy(ot);
        ot[col::tckreghours] = 0.0;
        ot[col::tckadjreghours] = 0.0;
        ot[rules.holiday ? col::tckholidayhours : col::tckothours] = s.overtime;
        c.overtime = std::move(ot);
    }
    return c;
}

bool close_punch(Station& st, Db& db, const PunchBuffer& open, const PunchQuery& query,
                 const QDateTime& at, ShiftClose& result, const QString& review,
                 const AlsoInTransaction& also) {
    // The week and the holiday are those of the shift's in date: reports and later week sums
    // count the shift there, so its overtime must be decided there too.
    QDate shift_day = day_of(open.integer(col::tckindate));
    if (!shift_day.isValid())
        shift_day = at.date();
    const PayRules rules{st.settings.outrounding, st.settings.shiftlimit,
                         holiday_on(st, open.integer(col::tckindate)), st.settings.wwstartday >= 1};
    make_side_tables_once(st, db);
    const std::optional<int> in_offset = kept_offsets(db, open).in;
    Transaction tx(db, WriteLock::Employee, open.number(col::tckempid));
    const double W = rules.weekly ? week_sum(db, open.number(col::tckempid),
                                             week_bounds(shift_day, st.settings.wwstartday))
                                  : 0.0;
    result = close_shift(open, at, rules, W, in_offset, review);
    result.week_before = W;
    if (update_punch_row(db, query, open, result.shift) != RowResult::Done)
        return false; // rolled back: nothing of this close is kept
    if (result.overtime)
        write_punch_row(db, query, *result.overtime);
    keep_out_offset(db, open, at.offsetFromUtc());
    if (also)
        also(db);
    tx.commit();
    return true;
}

CloseOutcome close_open_shift(Station& st, const Session& who, ShiftClose& closed) {
    const PunchQuery query = open_punch_query(who.number, who.job_code);
    // One connection reads the open row and closes it.
    return on_punch_db(st,
                       [&](Db& db) {
                           PunchBuffer open;
                           if (read_punch_row(db, query, open) != RowResult::Done)
                               return CloseOutcome::NotOpen;
                           const QDateTime now = st.clock().now();
                           set_today(st);
                           return close_punch(st, db, open, query, now, closed)
                                      ? CloseOutcome::Closed
                                      : CloseOutcome::NotOpen;
                       })
        .value_or(CloseOutcome::Missing);
}

} // namespace pw
