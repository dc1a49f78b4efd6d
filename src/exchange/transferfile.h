#pragma once
// The transfer file of punches between a remote station and the main station (default name
// "tcexport.csv"): one line per punch record, its columns in table order, every value in
// double quotes with commas between, CR LF after each line. A number is written in its
// list-print form (" 20040524 ", " 8.5 ", "-1 "), a text as stored with a double quote inside
// it doubled, a NULL as Null. UTF-8.
//
// Reading takes these files and older ones alike: a value may be unquoted (blanks around it
// dropped); in a quoted value a doubled quote is one quote, and a quote that is not followed
// by the value's end is kept as it is (older files did not double them). A quoted value may
// run over a line end. Each record is one line; blank lines are skipped.
//
// An import refuses the whole file when a value does not fit its column: an integer beyond
// 32 bits, a real that is no finite single-precision number (a pay rate beyond the currency
// range), an in or out date that is neither 0 nor a real YYYYMMDD day, a status the station
// does not know (1 to 5), a text longer than 255 characters.

#include "punch/punchrecord.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

namespace pw {

// One record's line, CR LF included: each value in quotes, a quote inside one doubled,
// numbers as the list prints them, a null as Null.
QByteArray export_line(const QVariantList& values);

// The records of a transfer file, or the first line that is not one.
struct TransferRecords {
    QList<QStringList> records; // the raw values, quotes removed
    QList<int> lines;           // the line each record starts on, counted from 1
    int error_line = 0;         // 0 when the whole file was read
    QString error;              // what is wrong on error_line
};

// Splits the file's text into records of field_count values each (any count when negative).
// Other CSV files are read by the same rules with their own separator.
TransferRecords read_transfer_file(const QString& text, int field_count, QChar separator = u',');

// One raw value as a column of type stores it: a text column gets the trimmed text, Null (any
// case) as NULL; a number column its numeric value (0 for Null, blanks or no number).
QVariant import_value(const QString& raw, FieldType type);

// The columns a transfer file carries, in table order.
struct TransferLayout {
    QStringList names;
    QList<FieldType> types;
};
// The punch table's columns as its definition gives them.
const TransferLayout& punch_transfer_layout();

// An import file's records, each value as its column stores it, or the first line that
// cannot be imported.
struct ImportRecords {
    QList<QVariantList> records;
    QList<int> lines;   // the line each record starts on, counted from 1
    int error_line = 0; // 0 when every record can be imported
    QString error;      // what is wrong on error_line, naming the field
};

// Reads an import file's bytes (UTF-8) into records for layout, the punch table's (values are
// stored as its columns store them). Needs no database nor window; on error no record is
// returned.
ImportRecords read_import_file(const QByteArray& bytes, const TransferLayout& layout);

} // namespace pw
