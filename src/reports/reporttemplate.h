#pragma once
// Printed reports from templates. A template (tclk00a.rpt ... tclk06a.rpt, tclk01b.rpt in the
// data folder, where a club may edit them) is HTML with Mustache tags; it is filled from the
// report work database: the headings row and the punch rows that the report copied there.
//
// What a template sees (texts; "has_..." and "is_..." are true/false for sections):
//   ctlcompname ctlselect ctlauxtitle ctlseq ctllinetop   the headings row ("" when null),
//                                each with has_<name> when it holds more than blanks
//   printed_date                 the clock's date, MM/DD/YYYY
//   rows                         the punch rows in the order the report listed them
//   row_count has_rows no_rows   punch_count ("1 punch", "2 punches") and the hour totals
//   total_reghours, total_adjreghours,
//   total_othours, total_holidayhours,
//                                total_hours (two decimals)
//   employees                    groups by employee number, ascending: tckempid, name, rows,
//                                row_count, punch_count and the hour totals of the group
//   jobs                         groups by job code, ascending: tckjobcode, tckjobdescription,
//                                rows, row_count, punch_count and the hour totals of the group
// Each row: every column of punch by its name, as stored ("" for null), and the display
// forms name (the employee's first and last name, "" when unknown), indate and outdate
// (MM/DD/YYYY, outdate "" while open), timein, timeout, adjtimein, adjtimeout (HH:MM),
// reghours, adjreghours, othours, holidayhours (holiday and holiday overtime), hours (the
// row's own: adjusted, overtime and holiday hours), payrate (two decimals), reason, has_reason,
// status
// ("Open", "Closed", "Bad", "Approved", "Exported"), is_open, is_closed, is_bad,
// is_approved, is_exported, and hours_adjusted (the adjusted hours differ from the recorded).
//
// Rules: rendering escapes values for HTML; a template that cannot be read or rendered is a
// TemplateError carrying one of the report codes.

#include <QDate>
#include <QSqlRecord>
#include <QString>
#include <QVariantMap>
#include <stdexcept>
#include <vector>

namespace pw {

class Station;

// The station's numbered codes for report templates (the range 20500 to 20900).
inline constexpr int kTemplateUnreadable = 20525; // the template file cannot be loaded
inline constexpr int kTemplateBroken = 20515;     // its tags cannot be rendered

class TemplateError : public std::runtime_error {
public:
    TemplateError(int code, const QString& description);
    int code() const { return code_; }
    QString description() const { return description_; }

private:
    int code_;
    QString description_;
};

// The data a template is filled with, from the headings row, the punch rows in order and the
// employees' names by number. Pure.
QVariantMap report_model(const QSqlRecord& headings, const std::vector<QSqlRecord>& rows,
                         const QMap<double, QString>& names, const QDate& today);

// The same from the work database and the employee database of the station. Throws DbError.
QVariantMap read_report_model(Station& st);

// Fills the template with the model. Throws TemplateError (kTemplateBroken).
QString render_report(const QString& template_text, const QVariantMap& model);

// Reads the template file and renders it from the station's work database. Throws
// TemplateError (kTemplateUnreadable, kTemplateBroken) or DbError.
QString render_template_file(Station& st, const QString& template_path);

// "MM/DD/YYYY" of a YYYYMMDD date; "" for a value below 100 (no date).
QString display_date(double yyyymmdd);

} // namespace pw
