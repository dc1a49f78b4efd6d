#include "qtdialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

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

// A text of more lines than this is a list (the numbered codes): smaller type, so that it
// stays well inside an 800x600 screen.
constexpr int kShortText = 6;

// Our windows stay on top, so a box must stay above them; and it is answered with a finger
// on a touch screen, so its text and buttons are large.
void keep_on_top(QWidget& w, int points = 15) {
    w.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    w.setStyleSheet(QStringLiteral("* { font-size: %1pt; } "
                                   "QPushButton { min-width: 120px; min-height: 48px; } "
                                   "QLineEdit { min-height: 40px; }")
                        .arg(points));
}

} // namespace

std::unique_ptr<QDialog> QtDialogs::make_box(Icon icon, const QString& text, const QString& title,
                                             bool yes_no) {
    const bool list = !yes_no && text.count(u'\n') >= kShortText;
    if (!list) {
        auto box = std::make_unique<QMessageBox>(qt_icon(icon), title, text,
                                                 yes_no ? QMessageBox::Yes | QMessageBox::No
                                                        : QMessageBox::Ok,
                                                 QApplication::activeWindow());
        box->setTextFormat(Qt::PlainText);
        if (yes_no)
            box->setDefaultButton(QMessageBox::No);
        keep_on_top(*box);
        return box;
    }
    // A message box wraps its text to half the screen, breaking every line of a list in two:
    // a list gets a box whose lines stay as written.
    auto box = std::make_unique<QDialog>(QApplication::activeWindow());
    box->setWindowTitle(title);
    keep_on_top(*box, 11);
    auto* picture = new QLabel(box.get());
    const int side = box->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, box.get());
    const QStyle::StandardPixmap pixmaps[] = {
        QStyle::SP_CustomBase, QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxQuestion,
        QStyle::SP_MessageBoxWarning, QStyle::SP_MessageBoxCritical};
    if (icon != Icon::None)
        picture->setPixmap(box->style()->standardIcon(pixmaps[int(icon)]).pixmap(side, side));
    picture->setAlignment(Qt::AlignTop);
    auto* label = new QLabel(text, box.get());
    label->setObjectName(QStringLiteral("lbltext"));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, box.get());
    QObject::connect(buttons, &QDialogButtonBox::accepted, box.get(), &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addWidget(label, 1);
    auto* layout = new QVBoxLayout(box.get());
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return box;
}

void QtDialogs::message(const QString& text, const QString& title, Icon icon) {
    make_box(icon, text, title, false)->exec();
}

bool QtDialogs::ask_yes_no(const QString& text, const QString& title) {
    return make_box(Icon::Question, text, title, true)->exec() == QMessageBox::Yes;
}

void QtDialogs::ask_yes_no_later(const QString& text, const QString& title,
                                 std::function<void(bool)> answered) {
    close_question();
    QDialog* box = make_box(Icon::Question, text, title, true).release();
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    QObject::connect(box, &QDialog::finished, box, [answered = std::move(answered)](int result) {
        answered(result == QMessageBox::Yes);
    });
    question_ = box;
    box->show();
}

void QtDialogs::close_question() {
    if (question_)
        question_->done(QMessageBox::No);
}

std::optional<QString> QtDialogs::input(const QString& prompt, const QString& title,
                                        const QString& default_text) {
    QInputDialog box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(default_text);
    box.setInputMode(QInputDialog::TextInput);
    keep_on_top(box);
    // Wide enough that the title ("FROM employee# - Range of Employees") is read whole.
    if (const QScreen* screen = box.screen())
        box.setMinimumWidth(std::min(560, screen->availableGeometry().width() - 60));
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
    box.setProperty("touch_keys", QStringLiteral("letters")); // file names, for the screen keys
    if (!name.isEmpty())
        box.selectFile(name);
    keep_on_top(box);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return std::nullopt;
    return box.selectedFiles().first();
}

} // namespace pw
