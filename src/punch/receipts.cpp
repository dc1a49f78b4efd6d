#include "receipts.h"

#include "station/fields.h"
#include "station/messages.h"
#include "station/settings.h"
#include "station/station.h"

#include <QCoreApplication>

namespace pw {

namespace {

// Blank lines that carry the paper past the tear bar.
constexpr int kFeedIn = 12;
constexpr int kFeedOut = 10;

QStringList feed(int count) {
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral(" ");
    return lines;
}

} // namespace

QString plain_number(double value) {
    return list_number(value).trimmed();
}

QStringList receipt_lines(ReceiptKind kind, const ReceiptData& d) {
    const QString employee = plain_number(d.employee) + QStringLiteral(" - ") + d.name;
    const QString job = QString::number(d.job_code) + QLatin1Char(' ') + d.job_description;
    const QString date = QString::number(d.date);
    if (kind == ReceiptKind::In) {
        return QStringList{QStringLiteral("Punchwell Punch-IN Receipt"),
                           QString(26, QLatin1Char('=')),
                           QStringLiteral("Employee #: ") + employee,
                           QStringLiteral("Job #:      ") + job,
                           QStringLiteral("Date:       ") + date,
                           QStringLiteral("Time IN:    ") + d.time_in} +
               feed(kFeedIn);
    }
    QStringList lines{QStringLiteral("Punchwell Punch-OUT Receipt"),
                      QString(27, QLatin1Char('=')),
                      QStringLiteral("Employee #:   ") + employee,
                      QStringLiteral("Job #:        ") + job,
                      QStringLiteral("Date:         ") + date,
                      QStringLiteral("Time IN:      ") + d.time_in,
                      QStringLiteral("Time OUT:     ") + d.time_out,
                      QStringLiteral("Hours:        ") + plain_number(d.hours)};
    if (d.overtime > 0)
        lines << QStringLiteral("Overtime hrs: ") + plain_number(d.overtime);
    return lines + feed(kFeedOut);
}

QString receipt_font(int printertype) {
    return printertype == 1 ? QStringLiteral("FontB11") : QStringLiteral("Printer 16cpi");
}

std::optional<QString> receipt_printer(const Station& st) {
    const int index = st.settings.receiptprinter;
    const QStringList printers = st.printers().names();
    if (index < 0 || index >= printers.size())
        return std::nullopt;
    return printers[index];
}

void offer_receipt(Station& st, ReceiptKind kind, const ReceiptData& data) {
    const std::optional<QString> printer = receipt_printer(st);
    if (!printer)
        return;
    const bool in = kind == ReceiptKind::In;
    const QString text =
        in ? QStringLiteral("Do you want a printed receipt of your punch-in record?")
           : QStringLiteral("Do you want a printed receipt of your punch-out record?");
    const QString title =
        in ? QStringLiteral("Print Punch-In Receipt?") : QStringLiteral("Print Punch-Out Receipt?");
    st.run.receipt_asked = st.clock().now();
    // The answer may come after the next person has started: it carries its own copy of the
    // punch, never the session.
    st.dialogs().ask_yes_no_later(
        text, title, [&st, printer = *printer, lines = receipt_lines(kind, data)](bool yes) {
            st.run.receipt_asked = QDateTime();
            if (!yes)
                return;
            if (!st.printers().print_lines(printer, receipt_font(st.settings.printertype), lines))
                st.dialogs().message(QStringLiteral("The receipt could not be printed on ") +
                                         printer + QStringLiteral(".\r\nYour punch is saved."),
                                     QStringLiteral("Punchwell - Printer"), Icon::Information);
            QCoreApplication::processEvents();
        });
}

} // namespace pw
