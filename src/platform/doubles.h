#pragma once
// The doubles of the platform: scripted boxes, a fixed clock, recording printers, programs and
// keys, and files whose writes can be made to fail. Tests and benchmarks run the station on them.

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/keyboard.h"
#include "platform/printers.h"
#include "platform/programs.h"

#include <QList>
#include <QMap>
#include <QStringList>
#include <functional>

namespace pw::test {

struct Box {
    QString kind; // "message", "question", "input" or "file"
    QString title;
    QString text;
    Icon icon = Icon::None;
    QString default_text; // input: the default; file: the proposed name
    QString answer;       // what the script answered ("OK", "Yes", "No", text, or kCancel)
};

inline const QString kCancel = QStringLiteral("<cancel>");

// Answers boxes from a queue. Questions take "Yes" or "No" (an empty queue answers No, the
// default button); inputs and file choosers take a text or kCancel (empty queue: cancel).
class ScriptedDialogs : public Dialogs {
public:
    QList<Box> boxes;
    QStringList answers;
    // Runs while a box is "open", after it is recorded: lets a test act meanwhile.
    std::function<void(const Box&)> on_box;
    // When set, input boxes and file choosers are these real ones, for a test that taps them;
    // each is recorded with the text it was left with.
    Dialogs* real_inputs = nullptr;

    void message(const QString& text, const QString& title, Icon icon) override;
    bool ask_yes_no(const QString& text, const QString& title) override;
    // Answered at once from the script when it holds an answer; otherwise it stays open
    // until answer_question or close_question.
    void ask_yes_no_later(const QString& text, const QString& title,
                          std::function<void(bool)> answered) override;
    void close_question() override { answer_question(false); }
    bool question_open() const override { return bool(question_); }
    void answer_question(bool yes);
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& default_text) override;
    std::optional<QString> choose_file(FileMode mode, const QString& title, const QString& filter,
                                       const QString& folder, const QString& name) override;

    // One field of every box so far: of(&Box::default_text).
    QStringList of(QString Box::*field) const;
    QStringList texts() const { return of(&Box::text); }
    QStringList titles() const { return of(&Box::title); }
    const Box& last() const { return boxes.last(); }
    void clear() { boxes.clear(); }

private:
    std::function<void(bool)> question_;
    qsizetype question_box_ = -1;
    QString take(const QString& fallback);
    void record(const Box& box);
    std::optional<QString> chosen(const Box& box);
};

// A clock that stands still until told; pauses move it on at once.
class TestClock : public Clock {
public:
    QDateTime time = QDateTime(QDate(2004, 5, 24), QTime(8, 0, 0));
    int paused_ms = 0;
    std::function<void(int)> on_pause; // told of each pause as it begins

    QDateTime now() const override { return time; }
    void pause(int ms) override;
    // "yyyy-MM-dd HH:mm:ss" in the zone TZ names, or with an offset "yyyy-MM-dd HH:mm:ss-04:00"
    // to tell the passes of a repeated hour apart.
    void set(const QString& when);
};

struct PrintJob {
    QString printer;
    QString font;
    QStringList lines;
};

class RecordingPrinters : public Printers {
public:
    QStringList printer_names = {QStringLiteral("Receipt"), QStringLiteral("Office")};
    QList<PrintJob> jobs;
    bool fail = false;

    QStringList names() const override { return printer_names; }
    bool print_lines(const QString& printer, const QString& font,
                     const QStringList& lines) override;
};

class RecordingPrograms : public Programs {
public:
    explicit RecordingPrograms(QString workdir)
        : workdir_(std::move(workdir)) {}
    QStringList started;

    bool exists(const QString& name) const override;
    void start(const QString& command_line) override { started << command_line; }

private:
    QString workdir_;
};

// Records the key events instead of delivering them. The lock keys start as set here and
// switch at each press of Caps Lock (20), Num Lock (144) or Scroll Lock (145), as a real
// keyboard's do.
class RecordingKeyboard : public Keyboard {
public:
    QList<KeyEvent> events;
    int batches = 0;
    bool caps = false;
    bool num = false;
    bool scroll = false;

    void deliver(const QList<KeyEvent>& batch) override;
    bool lock_on(int vk) const override;
};

// Real files, except that writes of any kind to a file whose name is in fail_names (any
// letter case) fail with the given code. Counts the attempts per file name.
class FaultyFiles : public DiskFiles {
public:
    QMap<QString, int> fail_names; // lower-case file name -> error code
    QMap<QString, int> attempts;   // lower-case file name -> writes tried

    int append(const QString& path, const QByteArray& bytes) override;
    int write(const QString& path, const QByteArray& bytes) override;
    int replace(const QString& path, const QByteArray& bytes) override;

private:
    int injected(const QString& path);
};

} // namespace pw::test
