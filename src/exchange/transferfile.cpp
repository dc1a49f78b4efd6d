#include "transferfile.h"

#include "station/fields.h"

#include <QDate>
#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>

namespace pw {

namespace {

// Walks the text value by value, counting lines.
class TransferReader {
public:
    TransferReader(const QString& text, QChar separator)
        : s_(text)
        , sep_(separator) {}

    bool at_end() const { return i_ >= s_.size(); }
    int line() const { return line_; }

    // Skips empty and blank lines; false at the end of the text.
    bool next_record() {
        for (;;) {
            qsizetype j = i_;
            while (j < s_.size() && is_blank(s_[j]))
                ++j;
            if (j >= s_.size()) {
                i_ = j;
                return false;
            }
            if (!is_line_end(s_[j]))
                return true;
            i_ = j;
            skip_line_end();
        }
    }

    // Reads one record's values up to its line end. False when a quoted value is left open.
    bool read_values(QStringList& values) {
        for (;;) {
            while (i_ < s_.size() && is_blank(s_[i_]))
                ++i_;
            QString value;
            if (i_ < s_.size() && s_[i_] == u'"') {
                if (!read_quoted(value))
                    return false;
            } else {
                const qsizetype start = i_;
                while (i_ < s_.size() && s_[i_] != sep_ && !is_line_end(s_[i_]))
                    ++i_;
                value = s_.mid(start, i_ - start);
                while (!value.isEmpty() && is_blank(value.back()))
                    value.chop(1);
            }
            values << value;
            if (i_ < s_.size() && s_[i_] == sep_) {
                ++i_;
                continue;
            }
            skip_line_end();
            return true;
        }
    }

private:
    // True when the quote at i_ ends the value: only blanks before a comma, a line end or the
    // end of the text follow it.
    bool closes_value() const {
        qsizetype j = i_ + 1;
        while (j < s_.size() && is_blank(s_[j]))
            ++j;
        return j >= s_.size() || s_[j] == sep_ || is_line_end(s_[j]);
    }

    bool read_quoted(QString& value) {
        ++i_;
        for (;;) {
            // The plain characters up to the next quote or line end, in one piece.
            qsizetype j = i_;
            while (j < s_.size() && s_[j] != u'"' && s_[j] != u'\n' && s_[j] != u'\r')
                ++j;
            value += QStringView(s_).mid(i_, j - i_);
            i_ = j;
            if (i_ >= s_.size())
                return false;
            const QChar c = s_[i_];
            if (c == u'"') {
                if (i_ + 1 < s_.size() && s_[i_ + 1] == u'"') {
                    value += u'"';
                    i_ += 2;
                    continue;
                }
                if (closes_value()) {
                    ++i_;
                    while (i_ < s_.size() && is_blank(s_[i_]))
                        ++i_;
                    return true;
                }
            } else if (c == u'\n' || (c == u'\r' && (i_ + 1 >= s_.size() || s_[i_ + 1] != u'\n'))) {
                ++line_;
            }
            value += c;
            ++i_;
        }
    }

    void skip_line_end() {
        if (i_ >= s_.size())
            return;
        if (s_[i_] == u'\r' && i_ + 1 < s_.size() && s_[i_ + 1] == u'\n')
            ++i_;
        ++i_;
        ++line_;
    }

    const QString& s_;
    const QChar sep_;
    qsizetype i_ = 0;
    int line_ = 1;
};

// Hands every record of field_count values (any count when negative) to take(values, line),
// which may stop the reading by returning false. Returns the line that is no record (with
// why), or 0.
template <typename Take>
int each_record(const QString& text, int field_count, QString& why, Take take,
                QChar separator = u',') {
    TransferReader reader(text, separator);
    QStringList values;
    while (reader.next_record()) {
        const int line = reader.line();
        values.clear();
        if (!reader.read_values(values)) {
            why = QStringLiteral("ends inside a quoted value");
            return line;
        }
        if (field_count >= 0 && values.size() != field_count) {
            why = QStringLiteral("holds %1 values where a punch record has %2")
                      .arg(values.size())
                      .arg(field_count);
            return line;
        }
        if (!take(values, line))
            return line;
    }
    return 0;
}

// The largest pay rate the suite's currency columns hold.
constexpr double kCurrencyMax = 922337203685477.5807;

bool is_date_column(int pos) {
    return pos == col::tckindate || pos == col::tckoutdate;
}

bool is_day(double n) {
    if (n == 0)
        return true;
    if (n < 10000101 || n > 99991231)
        return false;
    const int d = int(n);
    return QDate(d / 10000, d / 100 % 100, d % 100).isValid();
}

// The longest text a transfer file may carry in one field, as the suite's text columns hold.
constexpr int kMaxText = 255;

bool is_status(double n) {
    return n >= int(kOpen) && n <= int(kExported);
}

// Why value (import_value's number) does not fit the column, or empty when it does.
QString misfit(const QVariant& value, FieldType type, int pos) {
    if (type == FieldType::Text)
        return value.toString().size() > kMaxText
                   ? QStringLiteral("longer than %1 characters").arg(kMaxText)
                   : QString();
    const double d = value.toDouble();
    if (type == FieldType::Real) {
        const double most = pos == col::tckpayrate ? kCurrencyMax : double(FLT_MAX);
        return std::isfinite(d) && std::fabs(d) <= most ? QString()
                                                        : QStringLiteral("a number it cannot hold");
    }
    const double n = std::round(d);
    if (!std::isfinite(n) || n < double(INT_MIN) || n > double(INT_MAX))
        return QStringLiteral("a number it cannot hold");
    if (is_date_column(pos) && !is_day(n))
        return QStringLiteral("which is no date");
    if (pos == col::tckstatus && !is_status(n))
        return QStringLiteral("which is no status the station knows");
    return {};
}

} // namespace

const TransferLayout& punch_transfer_layout() {
    static const TransferLayout layout{punch_column_names(), punch_column_types()};
    return layout;
}

namespace {

// One value as the file holds it, quotes not included.
void append_export_value(QString& out, const QVariant& value) {
    if (value.isNull()) {
        out += QLatin1StringView("Null");
    } else if (value.typeId() == QMetaType::QString) {
        const QString& text = *static_cast<const QString*>(value.constData());
        if (text.contains(u'"'))
            out += QString(text).replace(u'"', QStringLiteral("\"\""));
        else
            out += text;
    } else {
        append_list_number(out, value.toDouble());
    }
}

} // namespace

QByteArray export_line(const QVariantList& values) {
    QString line;
    line.reserve(256);
    line += u'"';
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            line += QLatin1StringView("\",\"");
        append_export_value(line, values[i]);
    }
    line += QLatin1StringView("\"\r\n");
    return line.toUtf8();
}

TransferRecords read_transfer_file(const QString& text, int field_count, QChar separator) {
    TransferRecords out;
    out.error_line = each_record(
        text, field_count, out.error,
        [&](const QStringList& values, int line) {
            out.records << values;
            out.lines << line;
            return true;
        },
        separator);
    if (out.error_line > 0)
        out.records.clear();
    return out;
}

QVariant import_value(const QString& raw, FieldType type) {
    // Most values come without blanks around them: those need no trimmed copy.
    const bool blanks = !raw.isEmpty() && (raw.front().isSpace() || raw.back().isSpace());
    const QString text = blanks ? raw.trimmed() : raw;
    const bool null =
        text.size() == 4 && text.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0;
    if (type == FieldType::Text)
        return null ? QVariant(QMetaType(QMetaType::QString))
                    : QVariant(text.isNull() ? QStringLiteral("") : text);
    return null ? 0.0 : val(text);
}

ImportRecords read_import_file(const QByteArray& bytes, const TransferLayout& layout) {
    const int count = int(std::min(layout.names.size(), layout.types.size()));
    ImportRecords out;
    out.error_line = each_record(
        QString::fromUtf8(bytes), count, out.error, [&](const QStringList& raws, int line) {
            QVariantList values;
            values.reserve(count);
            for (int i = 0; i < count; ++i) {
                const QVariant v = import_value(raws[i], layout.types[i]);
                const QString why = misfit(v, layout.types[i], i);
                if (!why.isEmpty()) {
                    QString shown = raws[i].trimmed();
                    if (shown.size() > 24)
                        shown = shown.left(24) + QStringLiteral("...");
                    out.error =
                        QStringLiteral("has \"%1\" in %2, %3").arg(shown, layout.names[i], why);
                    return false;
                }
                values << stored_value(v, i);
            }
            out.records << values;
            out.lines << line;
            return true;
        });
    if (out.error_line > 0) {
        out.records.clear();
        out.lines.clear();
    }
    return out;
}

} // namespace pw
