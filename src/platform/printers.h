#pragma once
// The workstation's printers, numbered from 0 in the order the system lists them, and
// line printing in a device font chosen by name.

#include <QString>
#include <QStringList>

namespace pw {

class Printers {
public:
    virtual ~Printers() = default;
    virtual QStringList names() const = 0;
    // Prints lines, one print line each, on the named printer in the named font and ends
    // the job so the printer prints at once. False when anything failed.
    virtual bool print_lines(const QString& printer, const QString& font,
                             const QStringList& lines) = 0;
};

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
