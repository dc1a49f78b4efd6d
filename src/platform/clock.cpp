#include "clock.h"

#include <QEventLoop>
#include <QTimer>

namespace pw {

QDateTime SystemClock::now() const { return QDateTime::currentDateTime(); }

void SystemClock::pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace pw
