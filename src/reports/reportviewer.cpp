#include "reportviewer.h"

#include "listprint.h"
#include "menu.h"
#include "reporttemplate.h"
#include "screens/touchkeys.h"
#include "station/db.h"
#include "station/messages.h"
#include "station/station.h"
#include "window/tclock.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace pw {

namespace {

bool system_print_dialog(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

QPushButton* button(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

ReportViewer::ReportViewer(Station& st)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint)
    , st_(&st)
    , view_(new QTextBrowser(this))
    , chooser_(system_print_dialog) {
    setObjectName(QStringLiteral("frmreport"));
    // It shows only the manager's reports, every employee's punches among them.
    setProperty(kManagerOnly, true);
    setWindowTitle(QStringLiteral("Punchwell Report"));
    setAttribute(Qt::WA_DeleteOnClose);
    view_->setObjectName(QStringLiteral("rptview"));
    view_->setOpenLinks(false);

    auto* print_button = button(QStringLiteral("cmdprint"), QStringLiteral("Print"), this);
    auto* save_button = button(QStringLiteral("cmdsavepdf"), QStringLiteral("Save as PDF"), this);
    auto* close_button = button(QStringLiteral("cmdclose"), QStringLiteral("Close"), this);
    connect(print_button, &QPushButton::clicked, this, &ReportViewer::print);
    connect(save_button, &QPushButton::clicked, this, &ReportViewer::save_as_pdf);
    connect(close_button, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(print_button);
    buttons->addWidget(save_button);
    buttons->addStretch();
    buttons->addWidget(close_button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_);
    layout->addLayout(buttons);
    fit_to_screen(*this, QSize(860, 700));
}

void ReportViewer::show_report(const QString& html, const QString& source_path) {
    source_ = source_path;
    view_->setHtml(html);
}

QTextDocument* ReportViewer::document() const {
    return view_->document();
}

void ReportViewer::closeEvent(QCloseEvent* event) {
    closed_ = true;
    QWidget::closeEvent(event);
}

void ReportViewer::print() {
    if (st_->printers().names().isEmpty()) {
        say_no_printer(*st_); // rather than a print dialog with nothing to choose
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Punchwell Report"));
    printer.setPageSize(QPageSize(QPageSize::Letter));
    if (!chooser_(printer, this))
        return;
    document()->print(&printer);
    if (printer.printerState() == QPrinter::Error)
        st_->dialogs().message(QStringLiteral("Punchwell could not print the report."),
                               QStringLiteral("Uh-oh..."), Icon::Information);
}

void ReportViewer::save_as_pdf() {
    const QString proposed = QFileInfo(source_).completeBaseName().toLower() + ".pdf";
    std::optional<QString> path =
        st_->dialogs().choose_file(FileMode::Save, QStringLiteral("Save Report as PDF"),
                                   QStringLiteral("PDF files (*.pdf)"), st_->workdir(), proposed);
    if (!path || path->isEmpty())
        return;
    if (!path->endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        *path += QLatin1String(".pdf");
    if (QFileInfo::exists(*path) &&
        !askyesno(*st_,
                  QStringLiteral("The file ") + *path +
                      QStringLiteral(" already exists. Do you want to replace it?"),
                  QStringLiteral("Save as PDF")))
        return;
    if (!write_pdf(*document(), *path))
        st_->dialogs().message(QStringLiteral("Punchwell could not save the report as ") + *path,
                               QStringLiteral("Uh-oh..."), Icon::Information);
}

ReportViewer* find_report_viewer() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* viewer = qobject_cast<ReportViewer*>(w); viewer && viewer->open())
            return viewer;
    return nullptr;
}

bool write_pdf(const QTextDocument& document, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::Letter));
        writer.setTitle(QStringLiteral("Punchwell Report"));
        writer.setCreator(QStringLiteral("Punchwell"));
        document.print(&writer);
    }
    return file.flush() && file.error() == QFileDevice::NoError;
}

ReportViewer* run_template(Station& st, const QString& template_path) {
    QString html;
    try {
        html = render_template_file(st, template_path);
    } catch (const TemplateError& e) {
        reporterror(st, e.code(), e.description());
        return nullptr;
    } catch (const DbError& e) {
        reporterror(st, e);
        return nullptr;
    }
    ReportViewer* viewer = find_report_viewer();
    if (viewer)
        viewer->attach(st);
    else
        viewer = new ReportViewer(st);
    viewer->show_report(html, template_path);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return viewer;
}

} // namespace pw
