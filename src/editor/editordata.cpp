#include "editordata.h"

#include "punch/hours.h"
#include "punch/punchrecord.h"
#include "reports/reportlines.h"
#include "station/db.h"
#include "station/fields.h"
#include "station/station.h"

#include <QDate>
#include <QSqlQuery>
#include <cmath>

namespace pw {

namespace {

// A where-clause with its values, in bind order.
struct Where {
    QString sql;
    QVariantList binds;
};

// The editor's selection: the employee (when given), the date range with the out date no
// later than its end (so open punches, out date 0, are included), listed statuses only, and
// the job when one is chosen. status is the status condition with its binds.
Where selection(std::optional<double> employee, const EditorFilter& f, const Where& status) {
    Where w;
    QStringList parts;
    if (employee) {
        parts << QStringLiteral("tckempid = ?");
        w.binds << *employee;
    }
    parts << QStringLiteral("tckindate >= ?") << QStringLiteral("tckindate <= ?")
          << QStringLiteral("tckoutdate <= ?") << status.sql;
    w.binds << f.from_date << f.to_date << f.to_date;
    w.binds += status.binds;
    if (f.job >= 1) {
        parts << QStringLiteral("tckjobcode = ?");
        w.binds << f.job;
    }
    w.sql = QStringLiteral(" where ") + parts.join(QStringLiteral(" and "));
    return w;
}

const Where kListed{QStringLiteral("tckstatus <= ?"), {int(kApproved)}};

Db punch_db(Station& st, DbMode mode) {
    return Db(st.path(st.settings.punchdb), mode, st.db_access());
}

QString text_of(const QVariant& v) {
    return v.isNull() ? QString() : v.toString();
}

// The hours and tips columns that boxes 4 to 10 hold, in box order.
const char* const kNumberColumns[] = {"tckadjreghours",  "tckothours",  "tckholidayhours",
                                      "tckholidayothrs", "tckvachours", "tcksickhours",
                                      "tcktips"};

QStringList items(QSqlQuery& q) {
    QStringList out;
    while (fetch(q))
        out << text_of(q.value(0)) + QStringLiteral(" - ") + text_of(q.value(1));
    return out;
}

} // namespace

QList<QVariant> list_employee_ids(Station& st, const EditorFilter& filter) {
    const Where w = selection(std::nullopt, filter, kListed);
    Db db = punch_db(st, DbMode::ReadOnly);
    QSqlQuery q = db.run(QStringLiteral("select distinct tckempid from punch") + w.sql +
                             QStringLiteral(" order by tckempid"),
                         w.binds);
    QList<QVariant> ids;
    while (fetch(q))
        ids << q.value(0);
    return ids;
}

EmployeePunches read_employee_punches(Station& st, double employee, const EditorFilter& filter) {
    const Where w = selection(employee, filter, kListed);
    EmployeePunches out;
    Db db = punch_db(st, DbMode::ReadOnly);
    {
        QSqlQuery q = db.run(QStringLiteral("select rowid as pw_rowid, * from punch") + w.sql +
                                 QStringLiteral(" order by tckempid"),
                             w.binds);
        while (fetch(q))
            out.rows << q.record();
    }
    const QVariant sum =
        db.scalar(QStringLiteral("select sum(tckadjreghours) from punch") + w.sql, w.binds);
    if (!sum.isNull())
        out.total = sum.toDouble();
    return out;
}

std::optional<double> sum_adjreghours(Station& st, double employee, const EditorFilter& filter) {
    const Where w = selection(employee, filter, kListed);
    Db db = punch_db(st, DbMode::ReadOnly);
    const QVariant sum =
        db.scalar(QStringLiteral("select sum(tckadjreghours) from punch") + w.sql, w.binds);
    if (sum.isNull())
        return std::nullopt;
    return sum.toDouble();
}

QStringList job_items(Station& st) {
    Db db(st.path(st.settings.empdb), DbMode::ReadOnly, st.db_access());
    QSqlQuery q = db.run(QStringLiteral("select jobcode, jobdescription from jobs order by rowid"));
    return items(q);
}

QStringList active_employee_items(Station& st) {
    Db db(st.path(st.settings.empdb), DbMode::ReadOnly, st.db_access());
    QSqlQuery q = db.run(QStringLiteral("select empid, empmainname from empinfo where empid > 0 "
                                        "and cast(empstatus as real) = 1 order by emplname"));
    return items(q);
}

QStringList employee_job_items(Station& st, double employee) {
    Db db(st.path(st.settings.empdb), DbMode::ReadOnly, st.db_access());
    QSqlQuery q = db.run(QStringLiteral("select empjobs.jobcode, jobs.jobdescription from empjobs "
                                        "join jobs on empjobs.jobcode = jobs.jobcode "
                                        "where empjobs.empid = ? order by empjobs.jobcode"),
                         {employee});
    return items(q);
}

std::optional<double> job_payrate(Station& st, double employee, int job) {
    Db db(st.path(st.settings.empdb), DbMode::ReadOnly, st.db_access());
    QSqlQuery q = db.run(
        QStringLiteral("select payrate from empjobs where empid = ? and jobcode = ? limit 1"),
        {employee, job});
    if (!fetch(q))
        return std::nullopt;
    return q.value(0).toDouble();
}

QString job_item_description(const QString& item) {
    return item.mid(item.indexOf(u'-') + 2);
}

QVariantMap saved_values(const PunchBoxes& boxes) {
    QVariantMap v;
    v.insert(QStringLiteral("tckadjtimein"), boxes[box::adjtimein]);
    v.insert(QStringLiteral("tckadjtimeout"), boxes[box::adjtimeout]);
    v.insert(QStringLiteral("tckoutdate"), to_long(val(boxes[box::outdate])));
    for (int k = box::adjreghours; k <= box::tips; ++k)
        v.insert(QString::fromLatin1(kNumberColumns[k - box::adjreghours]), val(boxes[k]));
    v.insert(QStringLiteral("tckadjreason"), boxes[box::reason]);
    v.insert(QStringLiteral("tckstatus"), int(kApproved));
    return v;
}

QVariantMap save_punch(Station& st, const PunchKey& key, const PunchBoxes& boxes) {
    const QVariantMap values = saved_values(boxes);
    QStringList sets;
    QVariantList binds;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        sets << it.key() + QStringLiteral(" = ?");
        binds << it.value();
    }
    binds << key.rowid << key.empid << key.indate << key.status;
    Db db = punch_db(st, DbMode::ReadWrite);
    Transaction t(db);
    // The row as it was listed: a punch closed, exported or purged at another station since
    // then must not get this window's older view written over it.
    QSqlQuery q = db.run(QStringLiteral("update punch set ") + sets.join(QStringLiteral(", ")) +
                             QStringLiteral(" where rowid = ? and tckempid is ? and "
                                            "tckindate is ? and tckstatus = ?"),
                         binds);
    if (q.numRowsAffected() != 1)
        throw DbError(3197, QStringLiteral("The punch record was changed or removed at another "
                                           "station since it was listed."));
    q.finish();
    t.commit();
    // What the grid shows next is what the punch holds, as stored.
    QVariantMap stored;
    QSqlQuery back = db.run(QStringLiteral("select ") + QStringList(values.keys()).join(u',') +
                                QStringLiteral(" from punch where rowid = ?"),
                            {key.rowid});
    if (fetch(back))
        for (int i = 0; i < back.record().count(); ++i)
            stored.insert(back.record().fieldName(i), back.value(i));
    return stored;
}

void add_new_punch(Station& st, const NewPunch& punch, const PunchBoxes& boxes) {
    QVariantMap values = saved_values(boxes);
    values.insert(QStringLiteral("tckempid"), punch.employee);
    values.insert(QStringLiteral("tckjobcode"), punch.job);
    values.insert(QStringLiteral("tckjobdescription"), punch.job_description.left(20));
    values.insert(QStringLiteral("tckpayrate"), std::round(punch.payrate * 10000) / 10000);
    values.insert(QStringLiteral("tckindate"), to_long(val(boxes[box::indate])));
    Db db = punch_db(st, DbMode::ReadWrite);
    Transaction t(db);
    db.run(insert_sql(QStringLiteral("punch"), values.keys()), values.values());
    t.commit();
}

ApproveResult approve_all(Station& st, double employee, const EditorFilter& filter,
                          bool bad_confirmed, int* approved) {
    Db db = punch_db(st, DbMode::ReadWrite);
    Transaction t(db);
    if (!bad_confirmed) {
        const Where bad =
            selection(employee, filter, {QStringLiteral("tckstatus = ?"), {int(kBad)}});
        if (db.scalar(QStringLiteral("select count(*) from punch") + bad.sql, bad.binds).toInt() >
            0)
            return ApproveResult::BadPunchesFound; // rolled back: nothing changed
    }
    const Where w =
        selection(employee, filter,
                  {QStringLiteral("tckstatus >= ? and tckstatus <= ?"), {int(kClosed), int(kBad)}});
    QVariantList binds{int(kApproved), QStringLiteral("MGR APPROVED")};
    binds += w.binds;
    QSqlQuery q =
        db.run(QStringLiteral("update punch set tckstatus = ?, tckadjreason = ?") + w.sql, binds);
    if (approved)
        *approved = q.numRowsAffected();
    q.finish();
    t.commit();
    return ApproveResult::Approved;
}

CalcResult calc_hours(const PunchBoxes& boxes, int shiftlimit, double breaktime,
                      double breakreduction, const PunchOffsets& offsets) {
    const double in_date = val(boxes[box::indate]);
    const double out_date = val(boxes[box::outdate]);
    const QString& in = boxes[box::adjtimein];
    const QString& out = boxes[box::adjtimeout];
    const double in_hour = val(in.mid(0, 2));
    const double in_minute = val(in.mid(3, 2));
    const double out_hour = val(out.mid(0, 2));
    const double out_minute = val(out.mid(3, 2));

    if (in_date == 0 || out_date == 0)
        return {CalcOutcome::NoDates, {}};
    // Both times at 00:00 is how an hours-only adjustment is typed; one midnight alone is an
    // ordinary time.
    if (in_hour == 0 && in_minute == 0 && out_hour == 0 && out_minute == 0)
        return {CalcOutcome::AskHoursOnly, {}};
    // In the repeated hour of an autumn night an out reading before the in reading can still be
    // the later moment: with both offsets kept, the moments are compared.
    const double later_minutes =
        offsets.in && offsets.out ? (*offsets.in - *offsets.out) / 60.0 : 0;
    if (in_date == out_date &&
        out_hour * 60 + out_minute + later_minutes < in_hour * 60 + in_minute)
        return {CalcOutcome::OutBeforeIn, {}};

    if (out_date < in_date)
        return {CalcOutcome::OutDateEarlier, QStringLiteral(".00")};
    const ShiftPay pay =
        shift_pay({to_long(in_date), in, offsets.in}, {to_long(out_date), out, offsets.out},
                  shiftlimit, breaktime, breakreduction);
    return {CalcOutcome::Hours, number_text(pay.hours)};
}

PunchOffsets listed_offsets(Station& st, const QSqlRecord& punch) {
    QVariantList row(col::count);
    for (const auto& [pos, name] : {std::pair{col::tckempid, "tckempid"},
                                    {col::tckindate, "tckindate"},
                                    {col::tcktimein, "tcktimein"},
                                    {col::tckjobcode, "tckjobcode"},
                                    {col::tcknode, "tcknode"}})
        row[pos] = punch.value(QLatin1String(name));
    Db db = punch_db(st, DbMode::ReadOnly);
    return kept_offsets(db, punch_key(row));
}

QString complete_punch_time(const QString& t) {
    switch (t.size()) {
    case 2:
        return t + QStringLiteral(":00:00");
    case 3:
        return u'0' + t.left(1) + u':' + t.right(2) + QStringLiteral(":00");
    case 4:
        return t.left(2) + u':' + t.right(2) + QStringLiteral(":00");
    case 5:
        return t + QStringLiteral(":00");
    case 6:
        return t.left(2) + u':' + t.mid(2, 2) + u':' + t.right(2);
    default:
        return t;
    }
}

bool date_box_ok(const QString& text, double not_before) {
    const QString digits = text.trimmed();
    return digits.size() == 8 && QDate::fromString(digits, QStringLiteral("yyyyMMdd")).isValid() &&
           val(digits) >= not_before;
}

bool time_format_ok(const QString& text) {
    return text.size() >= 6 && text[2] == u':' && text[5] == u':';
}

QString format_total(double hours) {
    return format_hash5(hours); // the same picture: digit placeholders limit nothing
}

} // namespace pw
