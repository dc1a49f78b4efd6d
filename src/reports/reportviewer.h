#pragma once
// The report viewer: the window "Punchwell Report" that shows a report rendered from its
// template, above the other windows, with Print (the system's print dialog), Save as PDF and
// Close. There is one viewer at a time: the next report reuses it.
//
// Rules: closing the viewer releases it. The print dialog sits behind a chooser that tests
// replace, so nothing blocks; saving asks for the file through the station's dialogs.

#include <QString>
#include <QWidget>
#include <functional>

class QPrinter;
class QPushButton;
class QTextBrowser;
class QTextDocument;

namespace pw {

class Station;

class ReportViewer : public QWidget {
    Q_OBJECT
public:
    // Sets up printer and returns true to print; false when the user cancelled.
    using PrintChooser = std::function<bool(QPrinter& printer, QWidget* parent)>;

    explicit ReportViewer(Station& st);

    // Shows html as the report that source_path (the template) produced.
    void show_report(const QString& html, const QString& source_path);
    // Replaces the system's print dialog.
    void set_print_chooser(PrintChooser chooser) { chooser_ = std::move(chooser); }
    // The station whose dialogs the buttons use (the viewer outlives one report).
    void attach(Station& st) { st_ = &st; }

    QTextDocument* document() const;
    QString source_path() const { return source_; }

    // The Print button: the chooser, then the report on the chosen printer.
    void print();
    // The Save as PDF button: a file name through the station's file chooser, then the file.
    void save_as_pdf();

    // False once closed: the window is then on its way out and not reused.
    bool open() const { return !closed_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Station* st_;
    bool closed_ = false;
    QTextBrowser* view_;
    QString source_;
    PrintChooser chooser_;
};

// The open viewer, or null.
ReportViewer* find_report_viewer();

// Writes the document as a PDF file (US Letter pages). False when the file cannot be written.
bool write_pdf(const QTextDocument& document, const QString& path);

// Renders the template from the work database into the viewer, made or reused, and shows it
// above the other windows. A template that cannot be read or rendered, or a database
// failure, shows the numbered-code box and returns null.
ReportViewer* run_template(Station& st, const QString& template_path);

} // namespace pw
