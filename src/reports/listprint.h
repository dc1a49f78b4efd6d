#pragma once
// Printing a listed report ("Print Report"): either the quick print, the on-screen lines cut
// to the 39 columns of the receipt printer, or the detailed print, the report's template
// filled from the work database and shown in the report viewer.
//
// Rules: with a receipt printer the user chooses, except that the employee's own reports
// (10 to 15), which have no template, always go to the receipt printer; without one the
// detailed print is used. The on-screen list and the work database are never changed, so
// the user can print again.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace pw {

class LineList;
class Station;
struct Ranges;

// How the report was printed, if at all.
enum class Printed { Nothing, Quick, Detailed };

// Receipt width and separator.
inline constexpr int kReceiptWidth = 39;

// The heading's subtitle (ctlauxtitle) of a report from the range values, at most 40
// characters.
QString report_subtitle(int index, const Ranges& ranges);
// The name with as many blanks in front as centre it on the receipt (halves to even).
QString centred_name(const QString& name);

// The lines of the quick print: header, the employee's name and column headings for the own
// reports, the list lines cut to 39 columns, separator and feed. Pure.
QStringList quick_print_lines(int index, const QStringList& list_lines, const QString& name,
                              const QDateTime& now);

// The "Print Report" button for the report st.run.report_index, whose lines are on screen.
Printed print_list_report(Station& st, const QStringList& list_lines);
Printed print_list_report(Station& st, const LineList& list);

// The two ways alone, without the choice.
Printed quick_print(Station& st, const QStringList& list_lines);
Printed detailed_print(Station& st);

// "No printer is set up for reports.": printing asked for where the station has no printer.
void say_no_printer(Station& st);

// The template file of that name in the data folder (mapdrive + the upper-cased name, found
// in any letter case). nullopt, after the message titled with that path, when it is missing
// or name is empty.
std::optional<QString> find_template(Station& st, const QString& name);

// Writes fields (ctlselect, ctlauxtitle, ctlseq, ...) into the work database's heading row.
// Throws DbError; 3021 when the table has no row.
void write_headings(Station& st, const QList<QPair<QString, QString>>& fields);

} // namespace pw
