#pragma once
// The real message boxes and file choosers, in Qt Widgets.
#include "platform/dialogs.h"

#include <QPointer>

class QDialog;

namespace pw {

// The real boxes, parented to the active window.
class QtDialogs : public Dialogs {
public:
    // The box message (OK) or ask_yes_no (Yes, No as default) shows, not yet shown.
    static std::unique_ptr<QDialog> make_box(Icon icon, const QString& text, const QString& title,
                                             bool yes_no);

    void message(const QString& text, const QString& title, Icon icon) override;
    bool ask_yes_no(const QString& text, const QString& title) override;
    void ask_yes_no_later(const QString& text, const QString& title,
                          std::function<void(bool)> answered) override;
    void close_question() override;
    bool question_open() const override { return !question_.isNull(); }
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& default_text) override;
    std::optional<QString> choose_file(FileMode mode, const QString& title, const QString& filter,
                                       const QString& folder, const QString& name) override;

private:
    QPointer<QDialog> question_;
};

} // namespace pw
