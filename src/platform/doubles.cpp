#include "platform/doubles.h"

#include <QDir>
#include <QFileInfo>
#include <utility>

namespace pw::test {

QString ScriptedDialogs::take(const QString& fallback) {
    return answers.isEmpty() ? fallback : answers.takeFirst();
}

void ScriptedDialogs::record(const Box& box) {
    boxes << box;
    if (on_box)
        on_box(boxes.last());
}

void ScriptedDialogs::message(const QString& text, const QString& title, Icon icon) {
    record({"message", title, text, icon, {}, "OK"});
}

bool ScriptedDialogs::ask_yes_no(const QString& text, const QString& title) {
    const QString answer = take("No");
    record({"question", title, text, Icon::Question, {}, answer});
    return answer == "Yes";
}

void ScriptedDialogs::ask_yes_no_later(const QString& text, const QString& title,
                                       std::function<void(bool)> answered) {
    close_question();
    if (!answers.isEmpty()) {
        const QString answer = take("No");
        record({"question", title, text, Icon::Question, {}, answer});
        answered(answer == "Yes");
        return;
    }
    record({"question", title, text, Icon::Question, {}, "(open)"});
    question_ = std::move(answered);
    question_box_ = boxes.size() - 1;
}

void ScriptedDialogs::answer_question(bool yes) {
    if (!question_)
        return;
    // The answer may ask again: take this one out first.
    const auto answered = std::exchange(question_, nullptr);
    if (question_box_ >= 0 && question_box_ < boxes.size())
        boxes[question_box_].answer = yes ? "Yes" : "No";
    answered(yes);
}

std::optional<QString> ScriptedDialogs::input(const QString& prompt, const QString& title,
                                              const QString& default_text) {
    return chosen({"input", title, prompt, Icon::None, default_text,
                   real_inputs ? real_inputs->input(prompt, title, default_text).value_or(kCancel)
                               : take(kCancel)});
}

std::optional<QString> ScriptedDialogs::choose_file(FileMode mode, const QString& title,
                                                    const QString& filter, const QString& folder,
                                                    const QString& name) {
    return chosen(
        {"file", title, filter + " | " + folder, Icon::None, name,
         real_inputs ? real_inputs->choose_file(mode, title, filter, folder, name).value_or(kCancel)
                     : take(kCancel)});
}

std::optional<QString> ScriptedDialogs::chosen(const Box& box) {
    record(box);
    return box.answer == kCancel ? std::nullopt : std::optional(box.answer);
}

QStringList ScriptedDialogs::of(QString Box::*field) const {
    QStringList out;
    for (const Box& b : boxes)
        out << b.*field;
    return out;
}

void TestClock::pause(int ms) {
    if (on_pause)
        on_pause(ms);
    paused_ms += ms;
    time = time.addMSecs(ms);
}

void TestClock::set(const QString& when) {
    if (when.size() > 19) {
        // The moment named with its offset, read as the station's local time.
        QString iso = when;
        iso[10] = u'T';
        time = QDateTime::fromString(iso, Qt::ISODate).toLocalTime();
        return;
    }
    time = QDateTime::fromString(when, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool RecordingPrinters::print_lines(const QString& printer, const QString& font,
                                    const QStringList& lines) {
    if (fail || !printer_names.contains(printer))
        return false;
    jobs << PrintJob{printer, font, lines};
    return true;
}

void RecordingKeyboard::deliver(const QList<KeyEvent>& batch) {
    ++batches;
    for (const KeyEvent& e : batch) {
        events << e;
        if (!e.press)
            continue;
        if (e.vk == 20)
            caps = !caps;
        else if (e.vk == 144)
            num = !num;
        else if (e.vk == 145)
            scroll = !scroll;
    }
}

bool RecordingKeyboard::lock_on(int vk) const {
    return vk == 20 ? caps : vk == 144 ? num : vk == 145 ? scroll : false;
}

bool RecordingPrograms::exists(const QString& name) const {
    return QFileInfo(QDir(workdir_).filePath(name)).isFile();
}

int FaultyFiles::injected(const QString& path) {
    const QString name = QFileInfo(path).fileName().toLower();
    attempts[name] += 1;
    return fail_names.value(name, 0);
}

int FaultyFiles::append(const QString& path, const QByteArray& bytes) {
    const int code = injected(path);
    return code ? code : DiskFiles::append(path, bytes);
}

int FaultyFiles::write(const QString& path, const QByteArray& bytes) {
    const int code = injected(path);
    return code ? code : DiskFiles::write(path, bytes);
}

int FaultyFiles::replace(const QString& path, const QByteArray& bytes) {
    const int code = injected(path);
    return code ? code : DiskFiles::replace(path, bytes);
}

} // namespace pw::test
