// qwcedit FILE: the suite's text viewer. Shows a text file read-only, titled with its name.
// The station starts it from its working folder with a bare file name (tclock0.txt).
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QPlainTextEdit view;
    view.setObjectName("viewer");
    view.setReadOnly(true);
    // The help texts are laid out in columns.
    view.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    if (args.isEmpty()) {
        view.setWindowTitle("qwcedit");
        view.setPlainText("usage: qwcedit FILE");
    } else {
        const QString path = args.first();
        view.setWindowTitle(QFileInfo(path).fileName());
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            view.setPlainText(QString::fromUtf8(f.readAll()).replace("\r\n", "\n"));
        else
            view.setPlainText("Cannot open " + path + ": " + f.errorString());
    }
    view.resize(680, 560);
    // The station that starts the viewer keeps itself above ordinary windows; the viewer
    // must come up above it and take the keyboard, or Help seems to do nothing.
    view.setWindowFlag(Qt::WindowStaysOnTopHint);
    view.show();
    view.raise();
    view.activateWindow();
    return app.exec();
}
