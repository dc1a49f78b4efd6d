#include "reportengine.h"

#include "prompts.h"
#include "punch/hours.h"
#include "punch/punchrecord.h"
#include "reportlines.h"
#include "station/db.h"
#include "station/messages.h"
#include "station/station.h"
#include "workdb.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QSqlQuery>
#include <QSqlRecord>
#include <vector>

namespace pw {

namespace {

// Lets the list repaint while it grows. User input waits: a button pressed meanwhile must
// not start a second report into the same list.
void let_window_events_run() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

std::vector<QSqlRecord> read_rows(Station& st, const ReportQuery& query) {
    std::vector<QSqlRecord> rows;
    Db db(st.path(st.settings.punchdb), DbMode::ReadOnly, st.busy_timeout_ms);
    QSqlQuery q = db.run(query.sql, query.binds);
    while (fetch(q))
        rows.push_back(q.record());
    return rows;
}

QString quoted(const QString& name) {
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// Adds the copies to the work database's punch table, column by column position.
void write_copies(Station& st, const std::vector<QVariantList>& copies) {
    Db db(work_db_path(st), DbMode::ReadWrite, st.busy_timeout_ms);
    Transaction t(db);
    if (!copies.empty()) {
        QStringList columns;
        {
            QSqlQuery q = db.run(QStringLiteral("select * from punch limit 0"));
            const QSqlRecord rec = q.record();
            for (int i = 0; i < rec.count(); ++i)
                columns << quoted(rec.fieldName(i));
        }
        const qsizetype width = copies.front().size();
        if (columns.size() < width)
            throw DbError(3018, QStringLiteral("The report database's punch table has %1 "
                                               "columns, the report rows %2.")
                                    .arg(columns.size())
                                    .arg(width));
        columns = columns.mid(0, width);
        const QString sql = QStringLiteral("insert into punch (") + columns.join(u',') +
                            QStringLiteral(") values (") +
                            QStringList(width, QStringLiteral("?")).join(u',') + u')';
        for (const QVariantList& values : copies)
            db.run(sql, values);
    }
    t.commit();
}

} // namespace

bool run_report(Station& st, QListWidget& list, int index, const ReportQuery& query) {
    try {
        const std::vector<QSqlRecord> rows = read_rows(st, query);
        let_window_events_run();

        ReportTotals totals;
        std::vector<QVariantList> copies;
        copies.reserve(rows.size());
        for (const QSqlRecord& row : rows) {
            let_window_events_run();
            const QString name = check_employee_number(
                st, number_text(row.value(QStringLiteral("tckempid")).toDouble()));
            totals.add(row);
            list.addItems(report_lines(index, row, name));

            QVariantList copy;
            for (int i = 0; i < row.count(); ++i)
                copy << row.value(i);
            if (index == kWhosPunchedIn && copy.size() > col::tckreghours) {
                // The printed list shows how long each open punch has run until now, from
                // the rounded in time (the in date is that time's day, which may be the day
                // after the clock's), or the recorded one on a row that has none.
                QString in_time = row.value(QStringLiteral("tckadjtimein")).toString();
                if (in_time.isEmpty())
                    in_time = row.value(QStringLiteral("tcktimein")).toString();
                const HoursSoFar so_far =
                    calctime(st, row.value(QStringLiteral("tckindate")).toInt(), in_time,
                             row.value(QStringLiteral("tckbreaktime")).toDouble(),
                             row.value(QStringLiteral("tckbreakreduction")).toDouble());
                copy[col::tckreghours] = so_far.hours;
            }
            copies.push_back(std::move(copy));
        }
        list.addItems(report_footer(index, totals));

        write_copies(st, copies);
    } catch (const DbError& e) {
        reporterror(st, e);
        return false;
    }
    let_window_events_run();
    return st.settings.receiptprinter >= 0 || st.who.manager == 1;
}

} // namespace pw
