#include "helpview.h"

#include "platform/dialogs.h"
#include "screens/touchkeys.h"
#include "station/station.h"

#include <QApplication>
#include <QDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pw {

namespace {

constexpr char kHelpName[] = "frmhelp";

QDialog* make_view(QWidget* window) {
    // A child of the window, so that it stays above it until closed.
    auto* view = new QDialog(window, Qt::Dialog | Qt::WindowStaysOnTopHint);
    view->setObjectName(QLatin1String(kHelpName));
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* text = new QPlainTextEdit(view);
    text->setObjectName(QStringLiteral("txthelp"));
    text->setReadOnly(true);
    // The help texts are laid out in columns.
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* close = new QPushButton(QStringLiteral("Close"), view);
    close->setObjectName(QStringLiteral("cmdclosehelp"));
    close->setMinimumSize(120, 48);
    QObject::connect(close, &QPushButton::clicked, view, &QDialog::close);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(close);
    auto* layout = new QVBoxLayout(view);
    layout->addWidget(text, 1);
    layout->addLayout(row);
    fit_to_screen(*view, QSize(700, 540));
    return view;
}

} // namespace

QWidget* find_help_view() {
    for (QWidget* w : QApplication::allWidgets())
        if (w->objectName() == QLatin1String(kHelpName) && w->isWindow() && w->isVisible())
            return w;
    return nullptr;
}

void show_help(Station& st, QWidget* window, const QString& name) {
    const std::optional<QByteArray> bytes = st.files().read(st.local(name));
    if (!bytes) {
        st.dialogs().message(QStringLiteral("The help text ") + name +
                                 QStringLiteral(" is not installed on this station."),
                             QStringLiteral("Oops..."), Icon::Information);
        return;
    }
    QWidget* view = find_help_view();
    if (!view)
        view = make_view(window);
    view->setWindowTitle(QStringLiteral("Punchwell Help - ") + name);
    view->findChild<QPlainTextEdit*>()->setPlainText(
        QString::fromUtf8(*bytes).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    view->show();
    view->raise();
    view->activateWindow();
}

} // namespace pw
