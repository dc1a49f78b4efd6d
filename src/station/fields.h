#pragma once
// Text in the suite's old BASIC conventions: comma-separated fields read the way Input #
// reads them (parvnode.ini, holiday.dat, tclock.ini), the leading numeric value of a text
// (numbers typed by people or read from files), the list-print form of a number, and the
// small conversions the windows share.

#include <QString>
#include <QStringList>
#include <optional>

namespace pw {

// The blanks that readers of fields skip (space and tab) and the characters that end a line.
inline bool is_blank(QChar c) {
    return c == u' ' || c == u'\t';
}
inline bool is_line_end(QChar c) {
    return c == u'\r' || c == u'\n';
}

// Reads fields one at a time. A field ends at a comma or a line end (LF or CR LF, a lone
// CR too). Blanks (space, tab) before a field are dropped, and so are those after an
// unquoted one. A field that starts with a double quote runs to the next double quote on
// its line and is taken literally without the quotes (commas and blanks included); anything
// between the closing quote and the field's end is dropped, and a quote left open ends at
// the line end. Empty lines are no fields; a comma before a line end leaves an empty field.
class FieldReader {
public:
    explicit FieldReader(QString text);
    // The next field, or nullopt when the text has no more.
    std::optional<QString> next();

private:
    QString text_;
    qsizetype pos_ = 0;
    bool after_comma_ = false;
};

// Every field of text, at most max of them when max is not negative.
QStringList read_fields(const QString& text, qsizetype max = -1);

// The leading numeric value of text, like BASIC's Val: blanks before the number are
// skipped, then an optional sign, digits with at most one decimal point and an optional
// exponent (E or D); reading stops at the first character that cannot continue the number.
// Text that does not start with a number is 0. "08:30:00" is 8, "$5" is 0, " -2.5e1x" is -25.
double val(const QString& text);

// True when text, after blanks, starts with a number that val() would read.
bool starts_with_number(const QString& text);

// The number as BASIC's Print writes it: a blank before a number that is not negative, a
// minus sign otherwise, the digits (fractions in plain decimal), one blank after.
// 0 gives " 0 ", -1 gives "-1 ", 8.5 gives " 8.5 ".
QString list_number(double value);
// The same, appended to out.
void append_list_number(QString& out, double value);

// A number as a 32-bit integer field takes it: rounded half to even, as BASIC assigns, and
// held to the field's range so that a wild value cannot overflow it; NaN is 0.
int to_long(double value);

// A date typed as MMDD (exactly four characters) gets the year in front as four digits; any
// other text comes back as it is, for the caller to judge.
QString complete_date(const QString& text, int year);

} // namespace pw
