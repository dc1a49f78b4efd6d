// The field readers of parvnode.ini, tclock.ini and holiday.dat, as start-up runs them on a
// station. The input holds the three files' bytes, separated by NUL bytes.
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/printers.h"
#include "platform/programs.h"
#include "station/fields.h"
#include "station/settings.h"
#include "station/station.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMap>
#include <cstdint>
#include <cstdlib>

namespace {

// Files by name only, in memory: the station never reaches the disk.
class MemoryFiles : public pw::Files {
public:
    QMap<QString, QByteArray> files;

    bool exists(const QString& path) const override { return files.contains(key(path)); }
    std::optional<QByteArray> read(const QString& path) const override {
        const auto it = files.constFind(key(path));
        return it == files.cend() ? std::nullopt : std::optional<QByteArray>(*it);
    }
    int append(const QString& path, const QByteArray& bytes) override {
        files[key(path)] += bytes;
        return 0;
    }
    int write(const QString& path, const QByteArray& bytes) override {
        files[key(path)] = bytes;
        return 0;
    }
    int replace(const QString& path, const QByteArray& bytes) override {
        return write(path, bytes);
    }
    int copy(const QString&, const QString&) override { return 75; }
    int remove(const QString& path) override { return files.remove(key(path)) ? 0 : 53; }

private:
    static QString key(const QString& path) { return QFileInfo(path).fileName().toLower(); }
};

class SilentDialogs : public pw::Dialogs {
public:
    void message(const QString&, const QString&, pw::Icon) override {}
    bool ask_yes_no(const QString&, const QString&) override { return false; }
    void ask_yes_no_later(const QString&, const QString&,
                          std::function<void(bool)> answered) override {
        answered(false);
    }
    void close_question() override {}
    bool question_open() const override { return false; }
    std::optional<QString> input(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> choose_file(pw::FileMode, const QString&, const QString&, const QString&,
                                       const QString&) override {
        return std::nullopt;
    }
};

class StillClock : public pw::Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2004, 5, 24), QTime(8, 0)); }
    void pause(int) override {}
};

class NoPrinters : public pw::Printers {
public:
    QStringList names() const override { return {}; }
    bool print_lines(const QString&, const QString&, const QStringList&) override { return false; }
};

class NoPrograms : public pw::Programs {
public:
    bool exists(const QString&) const override { return false; }
    void start(const QString&) override {}
};

// Where the folders of a fuzzed parvnode.ini are sent instead: nothing there, no database.
const QString kNowhere = QStringLiteral("/nonexistent-punchwell-fuzz/");

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> parts =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)).split('\0');
    MemoryFiles files;
    files.files[QStringLiteral("parvnode.ini")] = parts.value(0);
    if (parts.size() > 1)
        files.files[QStringLiteral("tclock.ini")] = parts.value(1);
    if (parts.size() > 2)
        files.files[QStringLiteral("holiday.dat")] = parts.value(2);

    SilentDialogs dialogs;
    StillClock clock;
    NoPrinters printers;
    NoPrograms programs;
    pw::Station st(pw::Platform{dialogs, clock, printers, programs, files}, kNowhere);
    if (!pw::initnode(st))
        std::abort(); // the file is there, whatever it holds
    st.settings.mapdrive = kNowhere;
    st.settings.localdrive = kNowhere;
    pw::loadsettings(st);

    const pw::Settings& s = st.settings;
    if (pw::holiday_keys(st).value_or(QStringList()).size() > 366)
        std::abort();
    for (const int v : {s.receiptprinter, s.printertype, s.remotemode, s.nodenumber, s.posunit})
        if (v < -32768 || v > 32767)
            std::abort();
    (void)pw::read_fields(QString::fromUtf8(parts.value(0)));
    return 0;
}
