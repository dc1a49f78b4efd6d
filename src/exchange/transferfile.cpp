#include "transferfile.h"

#include "station/fields.h"

namespace pw {

namespace {

// Walks the text value by value, counting lines.
class TransferReader {
public:
    explicit TransferReader(const QString& text)
        : s_(text) {}

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
                while (i_ < s_.size() && s_[i_] != u',' && !is_line_end(s_[i_]))
                    ++i_;
                value = s_.mid(start, i_ - start);
                while (!value.isEmpty() && is_blank(value.back()))
                    value.chop(1);
            }
            values << value;
            if (i_ < s_.size() && s_[i_] == u',') {
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
        return j >= s_.size() || s_[j] == u',' || is_line_end(s_[j]);
    }

    bool read_quoted(QString& value) {
        ++i_;
        for (;;) {
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
    qsizetype i_ = 0;
    int line_ = 1;
};

} // namespace

QString export_value(const QVariant& value) {
    if (value.isNull())
        return QStringLiteral("Null");
    if (value.typeId() == QMetaType::QString) {
        QString text = value.toString();
        text.replace(u'"', QStringLiteral("\"\""));
        return text;
    }
    return list_number(value.toDouble());
}

QByteArray export_line(const QVariantList& values) {
    QStringList texts;
    for (const QVariant& v : values)
        texts << export_value(v);
    return (u'"' + texts.join(QStringLiteral("\",\"")) + QStringLiteral("\"\r\n")).toUtf8();
}

TransferRecords read_transfer_file(const QString& text, int field_count) {
    TransferRecords out;
    TransferReader reader(text);
    while (reader.next_record()) {
        const int line = reader.line();
        QStringList values;
        if (!reader.read_values(values)) {
            out.error_line = line;
            out.error = QStringLiteral("ends inside a quoted value");
            return out;
        }
        if (values.size() != field_count) {
            out.error_line = line;
            out.error = QStringLiteral("holds %1 values where a punch record has %2")
                            .arg(values.size())
                            .arg(field_count);
            return out;
        }
        out.records << values;
        out.lines << line;
    }
    return out;
}

QVariant import_value(const QString& raw, FieldType type) {
    QString text = raw.trimmed();
    if (text.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0)
        text.clear();
    if (type == FieldType::Text)
        return text;
    return val(text);
}

} // namespace pw
