#pragma once
// Sibling programs of the suite, started by plain file name without waiting for them.

#include <QString>

namespace pw {

class Programs {
public:
    virtual ~Programs() = default;
    // True when a file of that name is in the station's working folder.
    virtual bool exists(const QString& name) const = 0;
    // Starts "name args..." detached. The name is looked for in the working folder, then in
    // the installation's own program folder, and nowhere else: a program of the same name
    // elsewhere on PATH is never run. One that is not found, or fails to start, is ignored.
    virtual void start(const QString& command_line) = 0;
};

class QtPrograms : public Programs {
public:
    // libdir: the installation's folder of stand-in programs (/usr/lib/punchwell when
    // installed from the package).
    QtPrograms(QString workdir, QString libdir);
    bool exists(const QString& name) const override;
    void start(const QString& command_line) override;
    // Where start() would run name from; empty when it would not run anything.
    QString locate(const QString& name) const;

private:
    QString workdir_;
    QString libdir_;
};

} // namespace pw
