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

} // namespace pw
