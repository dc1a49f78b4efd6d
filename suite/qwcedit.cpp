// qwcedit FILE: the suite's text viewer. Shows a text file read-only, titled with its name.
// The station starts it from its working folder with a bare file name (tclock0.txt).
#include "textviewer.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QPlainTextEdit view;
    if (args.isEmpty()) {
        view.setWindowTitle("qwcedit");
        view.setPlainText("usage: qwcedit FILE");
    } else {
        suite::load_text(view, args.first());
    }
    view.resize(680, 560);
    suite::show_in_front(view);
    return app.exec();
}
