#pragma once
// Every message box, question, input box and file chooser of the station goes through
// Dialogs, so that tests can read each box and answer it from a script.

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace pw {

enum class Icon { None, Information, Question, Warning, Critical };
enum class FileMode { Open, Save };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A box with one OK button.
    virtual void message(const QString& text, const QString& title,
                         Icon icon = Icon::Information) = 0;
    // Yes and No, question icon, No is the default button (Enter answers No). True for Yes.
    virtual bool ask_yes_no(const QString& text, const QString& title) = 0;
    // Yes and No as ask_yes_no, but the station goes on meanwhile: answered runs once, true
    // for Yes. close_question answers the open one No and closes it.
    virtual void ask_yes_no_later(const QString& text, const QString& title,
                                  std::function<void(bool)> answered) = 0;
    virtual void close_question() = 0;
    virtual bool question_open() const = 0;
    // Modal input box with OK and Cancel; Enter is OK. nullopt when cancelled.
    virtual std::optional<QString> input(const QString& prompt, const QString& title,
                                         const QString& default_text) = 0;
    // File chooser starting in folder with name proposed. nullopt when cancelled.
    // The save chooser never asks about replacing a file: callers ask themselves.
    virtual std::optional<QString> choose_file(FileMode mode, const QString& title,
                                               const QString& filter, const QString& folder,
                                               const QString& name) = 0;
};

} // namespace pw
