#include "dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace pw {

namespace {

QMessageBox::Icon qt_icon(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Our windows stay on top, so a box must stay above them; and it is answered with a finger
// on a touch screen, so its text and buttons are large.
void keep_on_top(QWidget& w) {
    w.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    w.setStyleSheet(QStringLiteral("* { font-size: 15pt; } "
                                   "QPushButton { min-width: 120px; min-height: 48px; } "
                                   "QLineEdit { min-height: 40px; }"));
}

} // namespace

void QtDialogs::message(const QString& text, const QString& title, Icon icon) {
    QMessageBox box(qt_icon(icon), title, text, QMessageBox::Ok, QApplication::activeWindow());
    keep_on_top(box);
    box.exec();
}

bool QtDialogs::ask_yes_no(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    keep_on_top(box);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtDialogs::input(const QString& prompt, const QString& title,
                                        const QString& default_text) {
    QInputDialog box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(default_text);
    box.setInputMode(QInputDialog::TextInput);
    keep_on_top(box);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

std::optional<QString> QtDialogs::choose_file(FileMode mode, const QString& title,
                                              const QString& filter, const QString& folder,
                                              const QString& name) {
    QFileDialog box(QApplication::activeWindow(), title, folder, filter);
    box.setAcceptMode(mode == FileMode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    box.setFileMode(mode == FileMode::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    box.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!name.isEmpty())
        box.selectFile(name);
    keep_on_top(box);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return std::nullopt;
    return box.selectedFiles().first();
}

} // namespace pw
