#pragma once
// The short paper receipt offered after a punch, and the receipt printer switch of the main
// window. The receipt goes to the printer the station's tclock.ini names by its place in the
// system's printer list, in that printer's small device font, and is fed past the tear bar.
//
// Rules: the employee is asked first (No is the default), only when the receipt printer
// exists; the question does not hold up the station and answers itself No after 15 s or
// when the next person starts. A receipt that fails to print says so; the punch stays
// written. The switch only concerns list printing: the punch receipts do not consult it.

#include <QString>
#include <QStringList>
#include <optional>

namespace pw {

class Station;

enum class ReceiptKind { In, Out };

// What a receipt shows. overtime is printed only when above 0.
struct ReceiptData {
    double employee = 0;
    QString name;
    int job_code = 0;
    QString job_description;
    int date = 0; // YYYYMMDD
    QString time_in;
    QString time_out; // punch out only
    double hours = 0; // punch out only
    double overtime = 0;
};

// A number in its plain text form: no blanks, only the decimals it has (8.33, 4, 7.5).
QString plain_number(double value);

// The receipt's print lines, feed lines included.
QStringList receipt_lines(ReceiptKind kind, const ReceiptData& data);

// The device font a printertype takes: 1 "FontB11", any other "Printer 16cpi".
QString receipt_font(int printertype);

// The receipt printer's name: tclock.ini's place in the system's list, when there is one.
std::optional<QString> receipt_printer(const Station& st);

// Asks whether a receipt is wanted and prints it on the receipt printer on Yes. Nothing when
// the station has no receipt printer.
void offer_receipt(Station& st, ReceiptKind kind, const ReceiptData& data);

} // namespace pw
