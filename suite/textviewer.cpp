#include "textviewer.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>

namespace suite {

void load_text(QPlainTextEdit& view, const QString& path) {
    view.setObjectName("viewer");
    view.setReadOnly(true);
    // The help texts are laid out in columns.
    view.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view.setWindowTitle(QFileInfo(path).fileName());
    QFile f(path);
    if (f.open(QIODevice::ReadOnly))
        view.setPlainText(QString::fromUtf8(f.readAll()).replace("\r\n", "\n"));
    else
        view.setPlainText("Cannot open " + path + ": " + f.errorString());
}

void show_in_front(QPlainTextEdit& view) {
    view.setWindowFlag(Qt::WindowStaysOnTopHint);
    view.show();
    view.raise();
    view.activateWindow();
}

} // namespace suite
