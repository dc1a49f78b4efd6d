// bench_floor: the floor under start-up, the toolkit's own cost, built on the toolkit's widgets
// alone: a window with a line of text and an entry box (so the font database loads, as any
// window that shows text must), shown as the station's and ready at its first paint.
#include "firstpaint.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

int main(int argc, char** argv) {
    const bench::MainStarted since;
    bench::offscreen_by_default();
    QApplication app(argc, argv);
    QWidget w;
    auto* layout = new QVBoxLayout(&w);
    layout->addWidget(new QLabel(QStringLiteral("Employee ID#"), &w));
    layout->addWidget(new QLineEdit(&w));
    w.setWindowState(Qt::WindowFullScreen);
    bench::FirstPaint painted(w, since, [] { QCoreApplication::quit(); });
    w.show();
    return QCoreApplication::exec() * 0;
}
