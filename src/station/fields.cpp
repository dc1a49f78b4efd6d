#include "fields.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>

namespace pw {

namespace {

bool is_digit(QChar c) {
    return c >= u'0' && c <= u'9';
}

qsizetype skip_blanks(const QString& s, qsizetype i) {
    while (i < s.size() && is_blank(s[i]))
        ++i;
    return i;
}

// Length of the number that starts at i (0 when none): sign, digits with at most one
// point, and an exponent only when digits follow it.
qsizetype number_length(const QString& s, qsizetype i) {
    const qsizetype start = i;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < s.size() && is_digit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == u'.') {
        ++i;
        while (i < s.size() && is_digit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < s.size() && QStringLiteral("EeDd").contains(s[i])) {
        qsizetype j = i + 1;
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-'))
            ++j;
        if (j < s.size() && is_digit(s[j])) {
            while (j < s.size() && is_digit(s[j]))
                ++j;
            i = j;
        }
    }
    return i - start;
}

} // namespace

FieldReader::FieldReader(QString text)
    : text_(std::move(text)) {}

std::optional<QString> FieldReader::next() {
    const QString& s = text_;
    qsizetype i = pos_;
    // Blank lines between fields are no fields; after a comma the field may be empty.
    for (;;) {
        i = skip_blanks(s, i);
        if (after_comma_ || i >= s.size() || !is_line_end(s[i]))
            break;
        ++i;
    }
    if (i >= s.size() && !after_comma_) {
        pos_ = i;
        return std::nullopt;
    }

    QString field;
    if (i < s.size() && s[i] == u'"') {
        const qsizetype start = ++i;
        while (i < s.size() && s[i] != u'"' && !is_line_end(s[i]))
            ++i;
        field = s.mid(start, i - start);
        if (i < s.size() && s[i] == u'"')
            ++i;
        while (i < s.size() && s[i] != u',' && !is_line_end(s[i]))
            ++i;
    } else {
        const qsizetype start = i;
        while (i < s.size() && s[i] != u',' && !is_line_end(s[i]))
            ++i;
        qsizetype end = i;
        while (end > start && is_blank(s[end - 1]))
            --end;
        field = s.mid(start, end - start);
    }

    // The terminator: a comma, or CR LF, LF or CR.
    after_comma_ = i < s.size() && s[i] == u',';
    if (after_comma_) {
        ++i;
    } else if (i < s.size()) {
        if (s[i] == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n')
            ++i;
        ++i;
    }
    pos_ = i;
    return field;
}

QStringList read_fields(const QString& text, qsizetype max) {
    QStringList out;
    FieldReader reader(text);
    while (max < 0 || out.size() < max) {
        std::optional<QString> field = reader.next();
        if (!field)
            break;
        out << *field;
    }
    return out;
}

double val(const QString& text) {
    const qsizetype start = skip_blanks(text, 0);
    const qsizetype len = number_length(text, start);
    if (len == 0)
        return 0;
    // The number is ASCII: the C++ reader rounds exactly as Qt's does, at a fraction of the
    // cost an import of many rows pays. Numbers outside the normal range take Qt's reader.
    char ascii[64];
    if (len < qsizetype(sizeof ascii)) {
        qsizetype n = 0;
        for (qsizetype i = start; i < start + len; ++i) {
            const char c = char(text[i].unicode());
            ascii[n++] = c == 'D' || c == 'd' ? 'e' : c;
        }
        const char* first = ascii[0] == '+' ? ascii + 1 : ascii;
        double v = 0;
        const auto [end, ec] = std::from_chars(first, ascii + n, v);
        if (ec == std::errc() && end == ascii + n && (v == 0 || std::isnormal(v)))
            return v;
    }
    QString number = text.mid(start, len);
    number.replace(u'D', u'E').replace(u'd', u'e');
    const double v = number.toDouble();
    // Too large for a double: the largest there is, rather than an infinity.
    if (!std::isfinite(v))
        return std::copysign(DBL_MAX, v);
    return v;
}

bool starts_with_number(const QString& text) {
    return number_length(text, skip_blanks(text, 0)) > 0;
}

QString list_number(double value) {
    QString out;
    append_list_number(out, value);
    return out;
}

void append_list_number(QString& out, double value) {
    const double a = std::fabs(value);
    out += value < 0 ? u'-' : u' ';
    if (a == std::floor(a) && a < 1e15) {
        // Whole numbers, most of every export, without a temporary string.
        char digits[20];
        const auto end = std::to_chars(digits, digits + sizeof digits, qint64(a)).ptr;
        out += QLatin1StringView(digits, end - digits);
    } else {
        out += QString::number(a, 'g', 15);
    }
    out += u' ';
}

int to_long(double value) {
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::nearbyint(std::clamp(value, double(INT_MIN), double(INT_MAX))));
}

QString complete_date(const QString& text, int year) {
    return text.size() == 4 ? QString::number(year).rightJustified(4, u'0').right(4) + text : text;
}

} // namespace pw
