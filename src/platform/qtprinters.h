#pragma once
// The system's printers through Qt Print Support.
#include "platform/printers.h"

namespace pw {

// The system's printers through Qt. With pdf_file set, there is one printer, "PDF", that
// prints into that file (for saving and for checking what a job printed).
class QtPrinters : public Printers {
public:
    explicit QtPrinters(QString pdf_file = {});
    QStringList names() const override;
    bool print_lines(const QString& printer, const QString& font,
                     const QStringList& lines) override;

private:
    QString pdf_file_;
};

} // namespace pw
