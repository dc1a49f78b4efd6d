#pragma once
// The report list engine: runs a report's query on the punch database, writes each row's
// lines into the on-screen list in the layout of the report index, adds the footer, and
// copies every listed row into the report work database for printing.
//
// Rules: the query's own condition and order are the report's; the engine sorts and
// filters nothing. Rows stream from the query into the list and the work database, which
// takes them in one transaction; each employee's name is looked up once per report. No
// database stays open while a box waits for the user: "Invalid employee number!" for a row
// of an unknown employee shows, once for each such row, after the databases are closed. A
// database failure ends the report with the numbered-code box; the work database then holds
// none of this report's rows.

#include <QString>
#include <QVariantList>

namespace pw {

class LineList;
class Station;

// A report query on the punch table with its values bound in order.
struct ReportQuery {
    QString sql;
    QVariantList binds;
};

// Lists the report and fills the work database. Returns whether "Print Report" is offered:
// with a receipt printer (receiptprinter >= 0) or for a manager; false after a failure.
bool run_report(Station& st, LineList& list, int index, const ReportQuery& query);

} // namespace pw
