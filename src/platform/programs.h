#pragma once
// Sibling programs of the suite, started by plain file name without waiting for them.

#include <QString>

namespace pw {

class Programs {
public:
    virtual ~Programs() = default;
    // True when a file of that name is in the station's working folder.
    virtual bool exists(const QString& name) const = 0;
    // Starts "name args..." detached. The name is looked for in the working folder first,
    // then on PATH; a program that is not found, or fails to start, is ignored.
    virtual void start(const QString& command_line) = 0;
};

class QtPrograms : public Programs {
public:
    explicit QtPrograms(QString workdir);
    bool exists(const QString& name) const override;
    void start(const QString& command_line) override;

private:
    QString workdir_;
};

} // namespace pw
