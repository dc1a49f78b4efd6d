#include "staff.h"

#include "exchange/transferfile.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <climits>
#include <cmath>
#include <optional>

namespace suite {

namespace {

const QStringList kStaffColumns = {"number", "first name", "last name", "password", "role", "jobs"};
const QStringList kJobColumns = {"code", "description", "break after hours", "break hours"};
enum StaffColumn { kNumber, kFirst, kLast, kPassword, kRole, kJobs };
enum JobColumn { kCode, kDescription, kBreakAfter, kBreakHours };

constexpr qint64 kManagerPassword = 20000; // from here on a password opens the manager menu

// Why a file is refused; nothing of it is stored.
struct Refused {
    QString why;
};

// A CSV file with a header line. Row values come by the wanted column's index.
class Sheet {
public:
    Sheet(const QByteArray& bytes, const QStringList& wanted) {
        QString text = QString::fromUtf8(bytes);
        if (text.startsWith(QChar(0xFEFF))) // spreadsheets mark UTF-8 so
            text.remove(0, 1);
        // The header's names hold neither separator: the one it uses is the file's.
        const QString first = text.section('\n', 0, 0);
        separator_ = first.contains(';') && !first.contains(',') ? u';' : u',';
        const pw::TransferRecords file = pw::read_transfer_file(text, -1, separator_);
        if (file.error_line > 0)
            throw Refused{QStringLiteral("line %1 %2").arg(file.error_line).arg(file.error)};
        if (file.records.isEmpty())
            throw Refused{QStringLiteral("line 1: no header line (%1)").arg(wanted.join(','))};
        for (const QString& name : file.records.first())
            header_ << name.trimmed().toLower();
        for (const QString& name : wanted) {
            const qsizetype at = header_.indexOf(name);
            if (at < 0)
                throw Refused{QStringLiteral("line 1: the header has no column \"%1\"").arg(name)};
            at_ << int(at);
        }
        rows_ = file.records.mid(1);
        lines_ = file.lines.mid(1);
        for (qsizetype i = 0; i < rows_.size(); ++i) {
            const qsizetype count = rows_[i].size();
            if (count < header_.size())
                throw Refused{where(i, int(count)) + QStringLiteral(": missing column")};
            if (count > header_.size())
                throw Refused{where(i, int(header_.size())) +
                              QStringLiteral(": more values than the header names")};
        }
    }

    qsizetype size() const { return rows_.size(); }
    int line(qsizetype row) const { return lines_[row]; }
    // The reader has dropped the blanks around an unquoted value; a quoted one keeps its own.
    QString value(qsizetype row, int column) const { return rows_[row][at_[column]]; }

    [[noreturn]] void refuse(qsizetype row, int column, const QString& why) const {
        throw Refused{where(row, at_[column]) + ": " + why};
    }

    // A number of the sheet; a semicolon file may write "9,5" for 9.5.
    std::optional<double> number(const QString& text) const {
        QString t = text;
        if (separator_ == u';')
            t.replace(',', '.');
        bool ok = false;
        const double d = t.toDouble(&ok);
        return ok && std::isfinite(d) && d >= 0 ? std::optional(d) : std::nullopt;
    }

private:
    // "line 4, column 4 (password)": the column as a spreadsheet counts it.
    QString where(qsizetype row, int at) const {
        const QString name = at < header_.size() ? header_[at] : QString();
        return QStringLiteral("line %1, column %2").arg(lines_[row]).arg(at + 1) +
               (name.isEmpty() ? QString() : " (" + name + ")");
    }

    QChar separator_;
    QStringList header_;
    QList<int> at_;
    QList<QStringList> rows_;
    QList<int> lines_;
};

QString quoted(const QString& text) {
    return '"' + text + '"';
}

// An employee number or job code: a whole number from 1 that the integer columns hold.
std::optional<int> whole(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const qint64 n = text.toLongLong();
    return n >= 1 && n <= INT_MAX ? std::optional(int(n)) : std::nullopt;
}

// The first row where a number or code is used again.
template <typename Key>
void refuse_repeats(const Sheet& sheet, int column, Key key, const QString& what) {
    QHash<int, int> seen;
    for (qsizetype r = 0; r < sheet.size(); ++r) {
        const int k = key(r);
        if (seen.contains(k))
            sheet.refuse(r, column,
                         QStringLiteral("%1 %2 is also on line %3").arg(what).arg(k).arg(seen[k]));
        seen.insert(k, sheet.line(r));
    }
}

QString rate_text(double rate) {
    QString t = QString::number(rate, 'f', 4);
    while (t.endsWith('0'))
        t.chop(1);
    if (t.endsWith('.'))
        t.chop(1);
    return t;
}

// A value as a CSV field: quoted when it holds a separator, a quote, a line end or
// blanks at its ends.
QString csv_field(const QString& value) {
    static const QRegularExpression special(QStringLiteral("[,;\"\r\n]|^\\s|\\s$"));
    if (!special.match(value).hasMatch())
        return value;
    return '"' + QString(value).replace('"', "\"\"") + '"';
}

struct StaffRow {
    int number = 0;
    QString first, last;
    std::optional<qint64> password; // none: keep the stored one
    QString role;
    QMap<int, double> jobs; // code -> rate
};

StaffRow read_staff_row(const Sheet& sheet, qsizetype r) {
    StaffRow row;
    const std::optional<int> number = whole(sheet.value(r, kNumber));
    if (!number)
        sheet.refuse(r, kNumber,
                     quoted(sheet.value(r, kNumber)) + " is not an employee number (1 or more)");
    row.number = *number;
    row.first = sheet.value(r, kFirst);
    row.last = sheet.value(r, kLast);
    const QString password = sheet.value(r, kPassword);
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    if (!password.isEmpty()) {
        if (!digits.match(password).hasMatch())
            sheet.refuse(r, kPassword, "the password is not 1 to 9 digits");
        row.password = password.toLongLong();
    }
    row.role = sheet.value(r, kRole).toLower();
    if (row.role != "employee" && row.role != "manager" && row.role != "inactive")
        sheet.refuse(r, kRole,
                     quoted(sheet.value(r, kRole)) + " is not employee, manager or inactive");
    for (const QString& pair :
         sheet.value(r, kJobs).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts)) {
        const qsizetype colon = pair.indexOf(':');
        const std::optional<int> code = whole(pair.left(colon));
        if (colon < 0 || !code)
            sheet.refuse(r, kJobs, quoted(pair) + " is not code:rate");
        const std::optional<double> rate = sheet.number(pair.mid(colon + 1));
        if (!rate)
            sheet.refuse(r, kJobs, QStringLiteral("the rate of job %1 is not a number").arg(*code));
        if (row.jobs.contains(*code))
            sheet.refuse(r, kJobs, QStringLiteral("job %1 is listed twice").arg(*code));
        row.jobs.insert(*code, std::round(*rate * 10000) / 10000);
    }
    return row;
}

// The role must agree with the password the station will compare: 20000 or more is a
// manager's.
void check_role(const Sheet& sheet, qsizetype r, const StaffRow& row, qint64 password) {
    if (row.role == "manager" && password < kManagerPassword)
        sheet.refuse(r, row.password ? kPassword : kRole, "a manager's password is 20000 or more");
    if (row.role == "employee" && password >= kManagerPassword)
        sheet.refuse(r, row.password ? kPassword : kRole,
                     "an employee's password is below 20000 (20000 or more makes a manager)");
}

// Runs work in one transaction on EMP.MDB; a refusal or a database error stores nothing.
template <typename Work>
LoadResult in_transaction(const pw::DbAccess& access, const QString& empdb, Work work) {
    try {
        pw::Db db(empdb, pw::DbMode::ReadWrite, access);
        pw::Transaction t(db);
        const QString done = work(db);
        t.commit();
        return {true, done};
    } catch (const Refused& r) {
        return {false, r.why + "; nothing was loaded"};
    } catch (const pw::DbError& e) {
        return {false, QStringLiteral("%1: %2; nothing was loaded").arg(empdb, e.what())};
    }
}

QString counted(int added, int updated, const QString& what) {
    return QStringLiteral("%1 %2 added, %3 updated").arg(added).arg(what).arg(updated);
}

void store_jobs_of(pw::Db& db, const StaffRow& row) {
    QMap<int, double> stored;
    QSqlQuery q = db.run("select jobcode, payrate from empjobs where empid = ?", {row.number});
    while (pw::fetch(q))
        stored.insert(q.value(0).toInt(), q.value(1).toDouble());
    q.finish();
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        if (!row.jobs.contains(it.key()))
            db.run("delete from empjobs where empid = ? and jobcode = ?", {row.number, it.key()});
    for (auto it = row.jobs.cbegin(); it != row.jobs.cend(); ++it) {
        if (!stored.contains(it.key()))
            db.run("insert into empjobs (empid, jobcode, payrate, glacctnum) values (?, ?, ?, 0)",
                   {row.number, it.key(), it.value()});
        else if (stored[it.key()] != it.value())
            db.run("update empjobs set payrate = ? where empid = ? and jobcode = ?",
                   {it.value(), row.number, it.key()});
    }
}

} // namespace

LoadResult load_staff(const pw::DbAccess& access, const QString& empdb, const QByteArray& csv) {
    return in_transaction(access, empdb, [&](pw::Db& db) {
        const Sheet sheet(csv, kStaffColumns);
        QList<StaffRow> rows;
        for (qsizetype r = 0; r < sheet.size(); ++r)
            rows << read_staff_row(sheet, r);
        refuse_repeats(
            sheet, kNumber, [&](qsizetype r) { return rows[r].number; }, "number");

        QSet<int> codes;
        QSqlQuery q = db.run("select jobcode from jobs");
        while (pw::fetch(q))
            codes.insert(q.value(0).toInt());
        q.finish();

        int added = 0, updated = 0;
        for (qsizetype r = 0; r < rows.size(); ++r) {
            const StaffRow& row = rows[r];
            for (auto it = row.jobs.cbegin(); it != row.jobs.cend(); ++it)
                if (!codes.contains(it.key()))
                    sheet.refuse(r, kJobs,
                                 QStringLiteral("job %1 is not in the jobs list").arg(it.key()));
            QSqlQuery found =
                db.run("select pword, empfname, emplname, CAST(empstatus AS REAL) = 1 from empinfo "
                       "where empid = ?",
                       {row.number});
            const bool exists = pw::fetch(found);
            const qint64 stored = exists ? std::llround(std::abs(found.value(0).toDouble())) : 0;
            const bool names_same = exists && found.value(1).toString() == row.first &&
                                    found.value(2).toString() == row.last;
            const bool was_active = exists && found.value(3).toBool();
            found.finish();
            if (!exists && !row.password)
                sheet.refuse(r, kPassword, "a new employee needs a password of 1 to 9 digits");
            check_role(sheet, r, row, row.password.value_or(stored));

            const bool active = row.role != "inactive";
            const QString main = row.last + ", " + row.first;
            if (!exists) {
                db.run("insert into empinfo (empid, empfname, emplname, empmainname, empstatus, "
                       "pword, operator, accessnum) values (?, ?, ?, ?, ?, ?, 0, 0)",
                       {row.number, row.first, row.last, main, active ? "1" : "0", *row.password});
                ++added;
            } else {
                // Only what the row changes, so a listed file loads back unchanged.
                if (!names_same)
                    db.run("update empinfo set empfname = ?, emplname = ?, empmainname = ? "
                           "where empid = ?",
                           {row.first, row.last, main, row.number});
                if (row.password && *row.password != stored)
                    db.run("update empinfo set pword = ? where empid = ?",
                           {*row.password, row.number});
                if (active != was_active)
                    db.run("update empinfo set empstatus = ? where empid = ?",
                           {active ? "1" : "0", row.number});
                ++updated;
            }
            store_jobs_of(db, row);
        }
        return counted(added, updated, "employees");
    });
}

LoadResult load_jobs(const pw::DbAccess& access, const QString& empdb, const QByteArray& csv) {
    return in_transaction(access, empdb, [&](pw::Db& db) {
        const Sheet sheet(csv, kJobColumns);
        QList<int> codes;
        for (qsizetype r = 0; r < sheet.size(); ++r) {
            const std::optional<int> code = whole(sheet.value(r, kCode));
            if (!code)
                sheet.refuse(r, kCode,
                             quoted(sheet.value(r, kCode)) + " is not a job code (1 or more)");
            codes << *code;
        }
        refuse_repeats(
            sheet, kCode, [&](qsizetype r) { return codes[r]; }, "job");

        int added = 0, updated = 0;
        for (qsizetype r = 0; r < sheet.size(); ++r) {
            QVariantList hours;
            for (int column : {kBreakAfter, kBreakHours}) {
                const QString text = sheet.value(r, column);
                const std::optional<double> n = text.isEmpty() ? 0.0 : sheet.number(text);
                if (!n)
                    sheet.refuse(r, column, quoted(text) + " is not a number of hours");
                hours << std::round(*n * 100) / 100;
            }
            const QVariantList values = {sheet.value(r, kDescription), hours[0], hours[1],
                                         codes[r]};
            if (db.scalar("select count(*) from jobs where jobcode = ?", {codes[r]}).toInt() > 0) {
                db.run("update jobs set jobdescription = ?, breaktime = ?, breakreduction = ? "
                       "where jobcode = ?",
                       values);
                ++updated;
            } else {
                db.run("insert into jobs (jobdescription, breaktime, breakreduction, jobcode, "
                       "glacctnum) values (?, ?, ?, ?, 0)",
                       values);
                ++added;
            }
        }
        return counted(added, updated, "jobs");
    });
}

QByteArray list_staff(const pw::DbAccess& access, const QString& empdb) {
    pw::Db db(empdb, pw::DbMode::ReadOnly, access);
    QMap<int, QStringList> jobs;
    QSqlQuery q = db.run("select empid, jobcode, payrate from empjobs order by empid, jobcode");
    while (pw::fetch(q))
        jobs[q.value(0).toInt()] << q.value(1).toString() + ':' + rate_text(q.value(2).toDouble());
    q.finish();

    QString out = kStaffColumns.join(',') + "\r\n";
    q = db.run("select empid, empfname, emplname, pword, CAST(empstatus AS REAL) = 1 "
               "from empinfo order by empid");
    while (pw::fetch(q)) {
        const int number = q.value(0).toInt();
        const QString role = !q.value(4).toBool()                                  ? "inactive"
                             : std::abs(q.value(3).toDouble()) >= kManagerPassword ? "manager"
                                                                                   : "employee";
        out += QStringList{QString::number(number),
                           csv_field(q.value(1).toString()),
                           csv_field(q.value(2).toString()),
                           QString(),
                           role,
                           jobs.value(number).join(' ')}
                   .join(',') +
               "\r\n";
    }
    return out.toUtf8();
}

} // namespace suite
