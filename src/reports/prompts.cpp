#include "prompts.h"

#include "reportlines.h"
#include "station/db.h"
#include "station/fields.h"
#include "station/station.h"

#include <QSqlQuery>
#include <QStringBuilder>
#include <utility>

namespace pw {

namespace {

// The trimmed answer of one box; nullopt when it cancels.
std::optional<QString> ask(Station& st, const QString& instruction, const QString& title,
                           const QString& default_text) {
    const std::optional<QString> answer =
        st.dialogs().input(prompt_text(instruction), title, default_text);
    if (!answer)
        return std::nullopt;
    QString trimmed = answer->trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    return trimmed;
}

QString positive_default(double v) {
    return v > 0 ? number_text(v) : QString();
}

// A date box, shown until the answer has 8 characters.
std::optional<QString> ask_date(Station& st, const QString& instruction, const QString& title) {
    for (;;) {
        std::optional<QString> answer = ask(st, instruction, title, {});
        if (!answer)
            return std::nullopt;
        answer = complete_date(*answer, st.clock().now().date().year());
        if (answer->size() == 8)
            return answer;
    }
}

// A number box, shown until the answer's value is at least 1.
std::optional<double> ask_number(Station& st, const QString& instruction, const QString& title,
                                 const QString& default_text) {
    for (;;) {
        const std::optional<QString> answer = ask(st, instruction, title, default_text);
        if (!answer)
            return std::nullopt;
        const double v = val(*answer);
        if (v >= 1)
            return v;
    }
}

std::optional<QString> ask_time(Station& st, const QString& instruction, const QString& title,
                                const QString& default_text) {
    for (;;) {
        const std::optional<QString> answer = ask(st, instruction, title, default_text);
        if (!answer)
            return std::nullopt;
        if (std::optional<QString> time = complete_time(*answer))
            return time;
    }
}

} // namespace

QString prompt_text(const QString& instruction) {
    return instruction + QStringLiteral("\nWhen done, press ENTER or click OK.\n\n"
                                        "Click CANCEL to exit this feature.");
}

std::optional<DateRange> ask_date_range(Station& st, const QString& title) {
    const std::optional<QString> from = ask_date(
        st, QStringLiteral("Type the FROM date in YYYYMMDD format."), "FROM Date - " + title);
    if (!from)
        return std::nullopt;
    const std::optional<QString> to =
        ask_date(st, QStringLiteral("Type the TO date in YYYYMMDD format."), "TO Date - " + title);
    if (!to)
        return std::nullopt;
    DateRange r{*from, *to, 0, 0};
    if (r.to_text < r.from_text)
        std::swap(r.from_text, r.to_text);
    r.from = to_long(val(r.from_text));
    r.to = to_long(val(r.to_text));
    return r;
}

bool ask_employee_range(Station& st) {
    Ranges& r = st.ranges;
    const std::optional<double> from =
        ask_number(st, QStringLiteral("Type the FROM employee number."),
                   QStringLiteral("FROM employee# - "), positive_default(r.from_employee));
    if (!from)
        return false;
    r.from_employee = *from;
    const std::optional<double> to =
        ask_number(st, QStringLiteral("Type the TO employee number."),
                   "FROM employee# - " + number_text(r.from_employee) + " TO employee# - ",
                   positive_default(r.to_employee));
    if (!to)
        return false;
    r.to_employee = *to;
    if (r.to_employee < r.from_employee)
        std::swap(r.from_employee, r.to_employee);
    return true;
}

bool ask_job_range(Station& st) {
    Ranges& r = st.ranges;
    const std::optional<double> from =
        ask_number(st, QStringLiteral("Type the FROM job number."), QStringLiteral("FROM job# - "),
                   positive_default(r.from_job));
    if (!from)
        return false;
    r.from_job = to_long(*from);
    const std::optional<double> to = ask_number(
        st, QStringLiteral("Type the TO job number."),
        "FROM job# - " + QString::number(r.from_job) + " TO job# - ", positive_default(r.to_job));
    if (!to)
        return false;
    r.to_job = to_long(*to);
    if (r.to_job < r.from_job)
        std::swap(r.from_job, r.to_job);
    return true;
}

bool ask_time_range(Station& st) {
    Ranges& r = st.ranges;
    const std::optional<QString> from =
        ask_time(st, QStringLiteral("Type the FROM time in HH:MM:SS format."),
                 QStringLiteral("FROM Time - "),
                 r.from_time.isEmpty() ? QStringLiteral("00:00:00") : r.from_time);
    if (!from)
        return false;
    r.from_time = *from;
    const std::optional<QString> to =
        ask_time(st, QStringLiteral("Type the TO time in HH:MM:SS format."),
                 "FROM Time - " + r.from_time + " TO Time - ",
                 r.to_time.isEmpty() ? QStringLiteral("24:00:00") : r.to_time);
    if (!to)
        return false;
    r.to_time = *to;
    if (r.to_time < r.from_time)
        std::swap(r.from_time, r.to_time);
    return true;
}

std::optional<QString> complete_time(const QString& answer) {
    QString t = answer;
    switch (t.size()) {
    case 6:
        t += QStringLiteral("00");
        break;
    case 5:
        t += QStringLiteral(":00");
        break;
    case 4:
        t = t.left(2) + u':' + t.right(2) + QStringLiteral(":00");
        break;
    case 3:
        t += QStringLiteral("00:00");
        break;
    case 2:
        t += QStringLiteral(":00:00");
        break;
    default:
        break;
    }
    // Only the shape is checked: "99:99:99" passes, as it always has.
    if (t.size() == 8 && t[2] == u':' && t[5] == u':')
        return t;
    return std::nullopt;
}

double checked_number(const QString& text) {
    QString digits = text;
    digits.remove(u' ');
    return val(digits);
}

EmployeeNames::EmployeeNames(Db& empdb)
    : lookup_(empdb,
              QStringLiteral("select empfname, emplname from empinfo where empid = ? limit 1")) {}

std::optional<QString> EmployeeNames::name(double number, const QString& text) {
    const std::optional<QVariantList> row = lookup_.row({number});
    if (!row)
        return std::nullopt;
    return name_of(text_or_null(row->at(0)), text_or_null(row->at(1)), text);
}

QString EmployeeNames::name_of(const QString& first, const QString& last, const QString& text) {
    QString given = first.isNull() ? text : first.trimmed();
    if (last.isNull())
        return given;
    return given % u' ' % last.trimmed();
}

AllEmployeeNames::AllEmployeeNames(Db& empdb)
    : rows_(empdb.run_whole(
          QStringLiteral("select empid, empfname, emplname from empinfo order by empid"))) {
    // Only the numbers are read now: a report names few of the employees.
    at_.reserve(rows_.row_count());
    for (int row = rows_.row_count() - 1; row >= 0; --row)
        at_.insert(rows_.number(row, 0), row); // of a number held twice, the first
}

std::optional<QString> AllEmployeeNames::name(double number, const QString& text) {
    const auto it = at_.constFind(number);
    if (it == at_.cend())
        return std::nullopt;
    return EmployeeNames::name_of(rows_.text(*it, 1), rows_.text(*it, 2), text);
}

QString check_employee_number(Station& st, const QString& text) {
    const double number = checked_number(text);
    if (number == 0)
        return text;
    std::optional<QString> name;
    {
        Db db(st.path(st.settings.empdb), DbMode::ReadOnly, st.db_access());
        name = EmployeeNames(db).name(number, text);
    }
    // The database is closed before the box waits for the user.
    return name ? *name : invalid_employee(st);
}

QString invalid_employee(Station& st) {
    st.dialogs().message(QStringLiteral("Invalid employee number!"),
                         QStringLiteral("Employee # Check"), Icon::Critical);
    return kRedo;
}

} // namespace pw
