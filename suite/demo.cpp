#include "demo.h"

#include <QVariantMap>
#include <cmath>

namespace suite {

namespace {

// The demo club's pay rules, as pr holds them.
constexpr int kRounding = 15;
constexpr int kShiftLimit = 12;
constexpr int kWeekHours = 40;
constexpr int kDaysOfPunches = 21;
constexpr int kApprovedFromDaysAgo = 19; // the oldest punches a manager has already approved

struct Job {
    int code;
    const char* description;
    double breaktime;
    double breakreduction;
};

const Job kJobs[] = {
    {10, "Manager", 6, 0.5},   {20, "Server", 6, 0.5},   {30, "Bartender", 6, 0.5},
    {40, "Line Cook", 5, 0.5}, {50, "Dishwasher", 0, 0}, {60, "Banquet Setup", 4, 0.25},
};

// A weekly shift: weekday 1 = Monday ... 7 = Sunday, times "HH:MM"; an end before the
// start is on the next morning.
struct Shift {
    int weekday;
    int job;
    const char* start;
    const char* end;
};

struct Assignment {
    int job;
    double payrate;
};

struct Person {
    int empid;
    const char* first;
    const char* last;
    qint64 pword;
    bool active;
    QList<Assignment> jobs;
    QList<Shift> shifts;
    int last_day_ago = 1; // an employee who has left worked only up to that many days ago
};

const QList<Person>& staff() {
    // clang-format off
    static const QList<Person> people = {
        {100, "Margaret", "Hale", 20000, true, {{10, 24.5}},
         {{1, 10, "09:00", "17:00"}, {2, 10, "09:00", "17:00"}, {3, 10, "09:00", "17:00"},
          {4, 10, "09:00", "17:00"}, {5, 10, "09:00", "17:00"}}},
        {101, "Tom", "Baker", 1111, true, {{20, 9.75}},
         {{2, 20, "11:00", "16:00"}, {3, 20, "11:00", "16:00"}, {4, 20, "11:00", "16:00"},
          {5, 20, "11:00", "16:00"}, {6, 20, "10:00", "15:00"}}},
        {102, "Ana", "Ruiz", 2222, true, {{20, 10.25}, {30, 12.5}},
         {{1, 20, "11:00", "17:00"}, {3, 30, "16:00", "22:00"}, {5, 30, "17:00", "23:30"},
          {6, 20, "10:00", "16:00"}}},
        {103, "Sam", "Okafor", 3333, true, {{40, 16.25}, {50, 13.0}, {60, 14.0}},
         {{2, 50, "17:00", "22:00"}, {3, 40, "07:00", "15:00"}, {4, 40, "07:00", "15:00"},
          {5, 40, "07:00", "15:00"}, {6, 40, "07:00", "15:00"}, {7, 60, "08:00", "12:00"}}},
        {104, "Lee", "Park", 4444, true, {{30, 11.75}},
         {{4, 30, "18:00", "23:00"}, {5, 30, "19:00", "01:30"}, {6, 30, "19:00", "02:00"}}},
        {105, "Jo", "Grant", 5555, false, {{50, 12.0}},
         {{1, 50, "17:00", "22:00"}, {3, 50, "17:00", "22:00"}}, 14},
    };
    // clang-format on
    return people;
}

// Who is on the clock right now, and since when.
constexpr int kOpenEmp = 102;
constexpr int kOpenJob = 20;
const char* const kOpenTime = "06:52:40";

// Lee forgot to punch out after a late shift about ten days ago and punched out the next
// late morning: over the shift limit, so the station closed it with zero hours as a bad
// punch.
constexpr int kBadEmp = 104;
constexpr int kBadDaysAgo = 12;
const char* const kBadOut = "11:20";

const Job& job(int code) {
    for (const Job& j : kJobs)
        if (j.code == code)
            return j;
    return kJobs[0];
}

double payrate(const Person& p, int jobcode) {
    for (const Assignment& a : p.jobs)
        if (a.job == jobcode)
            return a.payrate;
    return 0;
}

int ymd(const QDate& d) {
    return d.year() * 10000 + d.month() * 100 + d.day();
}

int minutes(const char* hhmm) {
    return QTime::fromString(hhmm, "HH:mm").msecsSinceStartOfDay() / 60000;
}

QString clock_text(int minute_of_day, int seconds) {
    const int m = ((minute_of_day % 1440) + 1440) % 1440;
    return QStringLiteral("%1:%2:%3")
        .arg(m / 60, 2, 10, QChar('0'))
        .arg(m % 60, 2, 10, QChar('0'))
        .arg(seconds, 2, 10, QChar('0'));
}

// The club's rounding: to the nearest unit within the hour, an exact half down; seconds
// dropped. Returns minutes of the day (0 after 23:53 with a unit of 15).
int rounded(int minute_of_day) {
    int h = minute_of_day / 60;
    int m = minute_of_day % 60;
    const int r = m % kRounding;
    if (r > 0)
        m = (2 * r <= kRounding) ? m - r : m + kRounding - r;
    if (m >= 60) {
        ++h;
        m -= 60;
    }
    if (h > 23)
        h = 0;
    return h * 60 + m;
}

// Same arithmetic as punch out: at most one midnight; the shift limit zeroes an overnight
// shift.
struct Hours {
    double hours = 0;
    bool bad = false;
};
Hours elapsed(int in_min, int out_min, bool overnight) {
    int whole = 0;
    int min = 0;
    if (!overnight) {
        whole = out_min / 60 - in_min / 60;
        min = out_min % 60 - in_min % 60;
        if (min < 0) {
            --whole;
            min += 60;
        }
    } else {
        whole = 23 - in_min / 60;
        min = 60 - in_min % 60;
        if (min == 60) {
            ++whole;
            min = 0;
        }
        whole += out_min / 60;
        min += out_min % 60;
        if (whole >= kShiftLimit)
            return {0, true};
    }
    return {whole + std::round(min / 60.0 * 100) / 100, false};
}

double hours2(double h) {
    return std::round(h * 100) / 100;
}

// Fixed minutes and seconds of lateness per day and employee, so the same day always gives
// the same punches.
quint32 mix(qint64 day, int empid, int salt) {
    quint32 x =
        (quint32(day) * 2654435761u) ^ (quint32(empid) * 40503u) ^ (quint32(salt) * 2246822519u);
    x ^= x >> 15;
    x *= 2246822519u;
    x ^= x >> 13;
    x *= 3266489917u;
    x ^= x >> 16;
    return x;
}

const Person& person(int empid) {
    for (const Person& p : staff())
        if (p.empid == empid)
            return p;
    return staff().first();
}

// What punch in writes of the employee, the job and the day.
QVariantMap punched_in(const Person& p, const Job& j, const QDate& day) {
    return {
        {"tckindate", ymd(day)},
        {"tckempid", p.empid},
        {"tckjobcode", j.code},
        {"tckjobdescription", QString(j.description)},
        {"tckpayrate", payrate(p, j.code)},
        {"tckbreaktime", j.breaktime},
        {"tckbreakreduction", j.breakreduction},
    };
}

// One shift as punch out closes it: times as punched and rounded, hours after the break.
struct Closed {
    QVariantMap row;
    double hours = 0;
    bool bad = false;
};

Closed close_shift(const Person& p, const Shift& s, const QDate& day, bool forgot) {
    const quint32 r = mix(day.toJulianDay(), p.empid, s.job);
    const int in_min = minutes(s.start) - 1 - int(r % 9); // a few minutes early
    const int in_sec = int(r / 9 % 60);
    int out_min = minutes(s.end) - 4 + int(r / 540 % 15);
    const int out_sec = int(r / 8100 % 60);
    bool overnight = out_min < minutes(s.start);
    if (forgot) {
        out_min = minutes(kBadOut);
        overnight = true;
    }
    const int adj_in = rounded(in_min);
    int adj_out = rounded(out_min);
    QDate out_day = overnight ? day.addDays(1) : day;
    QString adj_out_text = clock_text(adj_out, 0);
    if (adj_out == 0) { // midnight closes the punch-in day
        adj_out = 24 * 60;
        adj_out_text = "24:00:00";
        out_day = day;
        overnight = false;
    }
    const Job& j = job(s.job);
    Hours h = elapsed(adj_in, adj_out, overnight);
    if (h.hours >= j.breaktime)
        h.hours = hours2(h.hours - j.breakreduction);
    Closed c;
    c.hours = h.hours;
    c.bad = h.bad;
    c.row = punched_in(p, j, day);
    c.row.insert({
        {"tcktimein", clock_text(in_min, in_sec)},
        {"tckoutdate", ymd(out_day)},
        {"tcktimeout", clock_text(out_min, out_sec)},
        {"tckreghours", h.hours},
        {"tckadjtimein", clock_text(adj_in, 0)},
        {"tckadjtimeout", adj_out_text},
        {"tckadjreghours", h.hours},
        {"tckstatus", h.bad ? 3 : 2},
    });
    return c;
}

QVariantMap open_punch(const QDate& today) {
    const int in_min = QTime::fromString(kOpenTime, "HH:mm:ss").msecsSinceStartOfDay() / 60000;
    QVariantMap row = punched_in(person(kOpenEmp), job(kOpenJob), today);
    row.insert({
        {"tcktimein", QString(kOpenTime)},
        {"tckadjtimein", clock_text(rounded(in_min), 0)},
        {"tckstatus", 1},
    });
    return row;
}

QList<QVariantMap> punches(const QDate& today) {
    const QStringList holidays = demo_holidays();
    QList<QVariantMap> rows;
    QMap<QPair<int, qint64>, double> week_hours; // (employee, first day of week) -> hours
    bool bad_done = false;
    for (int ago = kDaysOfPunches; ago >= 1; --ago) {
        const QDate day = today.addDays(-ago);
        if (holidays.contains(day.toString("MMdd")))
            continue; // the club is closed
        // Weeks start on Sunday, as pr.wwstartday 1 says.
        const qint64 week = day.toJulianDay() - day.dayOfWeek() % 7;
        for (const Person& p : staff()) {
            if (ago < p.last_day_ago)
                continue;
            for (const Shift& s : p.shifts) {
                if (s.weekday != day.dayOfWeek())
                    continue;
                const bool forgot = p.empid == kBadEmp && !bad_done && ago <= kBadDaysAgo &&
                                    minutes(s.end) < minutes(s.start);
                bad_done = bad_done || forgot;
                Closed c = close_shift(p, s, day, forgot);
                double& sum = week_hours[{p.empid, week}];
                if (sum + c.hours > kWeekHours)
                    continue; // the schedule keeps everyone under the weekly 40
                sum += c.hours;
                if (ago >= kApprovedFromDaysAgo && !c.bad) {
                    c.row.insert("tckstatus", 4);
                    c.row.insert("tckadjreason", "MGR APPROVED");
                }
                rows << c.row;
            }
        }
    }
    rows << open_punch(today);
    return rows;
}

bool fill_emp(const DbAccess& access, const QString& empdb) {
    QList<QVariantMap> jobs, people, assignments;
    for (const Job& j : kJobs)
        jobs << QVariantMap{{"jobcode", j.code},
                            {"jobdescription", QString(j.description)},
                            {"glacctnum", 0},
                            {"breaktime", j.breaktime},
                            {"breakreduction", j.breakreduction}};
    for (const Person& p : staff()) {
        const QString first = p.first, last = p.last;
        people << QVariantMap{{"empid", p.empid},
                              {"empfname", first},
                              {"emplname", last},
                              {"empmainname", last + ", " + first},
                              {"empstatus", p.active ? QStringLiteral("1") : QStringLiteral("0")},
                              {"pword", p.pword},
                              {"operator", 0},
                              {"accessnum", 0}};
        for (const Assignment& a : p.jobs)
            assignments << QVariantMap{
                {"empid", p.empid}, {"jobcode", a.job}, {"payrate", a.payrate}, {"glacctnum", 0}};
    }
    return insert_rows(access, empdb, "jobs", jobs) &&
           insert_rows(access, empdb, "empinfo", people) &&
           insert_rows(access, empdb, "empjobs", assignments);
}

// Two tickets still open for Ana, who is on the clock: her punch out reports them. Each
// ticket is its header row (ord 0) and its item rows.
bool fill_pos(const DbAccess& access, const QString& posdb) {
    QList<QVariantMap> rows;
    const int tickets[][3] = {{4101, 0, 1}, {4101, 1, 1}, {4101, 2, 1}, {4102, 0, 2}, {4102, 1, 2}};
    for (const auto& t : tickets)
        rows << QVariantMap{
            {"ticket", t[0]}, {"server", kOpenEmp}, {"ord", t[1]}, {"status", t[2]}};
    return insert_rows(access, posdb, "xact", rows);
}

bool fill_config(const DbAccess& access, const QString& configdb, const QDate& today) {
    // Weekly pay periods ending on Saturday.
    const QDate period_end = today.addDays((6 - today.dayOfWeek() + 7) % 7);
    return exec_sql(access, configdb,
                    "update pr set nextprdate = ?, shiftlimit = ?, inrounding = ?, "
                    "outrounding = ?, wwstartday = ?",
                    {ymd(period_end), kShiftLimit, kRounding, kRounding, 1});
}

void note(QStringList* report, const QString& line) {
    if (report)
        *report << line;
}

// The demo's rows of one database: noted when added, else the failure.
QString result(QStringList* report, bool ok, const QString& done, const QString& path) {
    if (!ok)
        return "could not add demo data to " + path;
    note(report, done + " " + path);
    return {};
}

} // namespace

QList<DemoLogin> demo_logins() {
    QList<DemoLogin> logins;
    for (const Person& p : staff())
        logins << DemoLogin{p.empid, p.pword, QString(p.first) + " " + p.last,
                            !p.active          ? "inactive"
                            : p.pword >= 20000 ? "manager"
                                               : "employee"};
    return logins;
}

QStringList demo_holidays() {
    return {"0101", "0704", "1225"};
}

QString add_demo_data(const Installation& inst, const QDate& today, const DemoTargets& targets,
                      QStringList* report) {
    const auto kept = [&](const QString& name) {
        note(report, "demo data not added to kept " + inst.data + name);
        return QString();
    };
    QString failed = targets.emp ? result(report, fill_emp(inst.db_access, inst.data + "EMP.MDB"),
                                          "added demo staff and jobs to", inst.data + "EMP.MDB")
                                 : kept("EMP.MDB");
    if (failed.isEmpty())
        failed = targets.config
                     ? result(report, fill_config(inst.db_access, inst.data + "CONFIG.MDB", today),
                              "set demo pay rules (rounding 15, shift limit 12, week from "
                              "Sunday) in",
                              inst.data + "CONFIG.MDB")
                     : kept("CONFIG.MDB");
    if (failed.isEmpty()) {
        const QList<QVariantMap> rows = punches(today);
        failed =
            targets.punch
                ? result(
                      report,
                      insert_rows(inst.db_access, inst.data + "PUNCHCLK.MDB", "punch", rows),
                      QStringLiteral("added %1 demo punches (one still open) to").arg(rows.size()),
                      inst.data + "PUNCHCLK.MDB")
                : kept("PUNCHCLK.MDB");
    }
    if (failed.isEmpty())
        failed = targets.pos ? result(report, fill_pos(inst.db_access, inst.data + "HBPOSTMP.MDB"),
                                      "added demo open tickets to", inst.data + "HBPOSTMP.MDB")
                             : kept("HBPOSTMP.MDB");
    return failed;
}

} // namespace suite
