#include "qtprinters.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace pw {

QtPrinters::QtPrinters(QString pdf_file)
    : pdf_file_(std::move(pdf_file)) {}

QStringList QtPrinters::names() const {
    if (!pdf_file_.isEmpty())
        return {QStringLiteral("PDF")};
    return QPrinterInfo::availablePrinterNames();
}

bool QtPrinters::print_lines(const QString& printer_name, const QString& font_name,
                             const QStringList& lines) {
    QPrinter printer(QPrinter::HighResolution);
    if (!pdf_file_.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf_file_);
    } else {
        if (!names().contains(printer_name))
            return false;
        printer.setPrinterName(printer_name);
    }
    printer.setDocName(QStringLiteral("Punchwell"));

    // The receipt printers' device fonts are not known here; a fixed-pitch font of the same
    // small size stands in for them.
    QFont font(font_name, 8);
    if (QFontInfo(font).family().compare(font_name, Qt::CaseInsensitive) != 0) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(8);
    }

    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setFont(font);
    const QFontMetrics metrics(font, &printer);
    const int step = metrics.lineSpacing();
    int y = metrics.ascent();
    const int bottom = printer.pageLayout().paintRectPixels(printer.resolution()).height();
    for (const QString& line : lines) {
        if (y > bottom) {
            printer.newPage();
            y = metrics.ascent();
        }
        painter.drawText(0, y, line);
        y += step;
    }
    return painter.end();
}

} // namespace pw
