#include "punchlog.h"

#include <QStringList>

namespace stress {

QString log_line(const LoggedPunch& p) {
    return QStringLiteral("%1 %2 %3 %4 %5 %6\n")
        .arg(p.in ? QStringLiteral("IN") : QStringLiteral("OUT"))
        .arg(p.emp)
        .arg(p.job)
        .arg(p.time)
        .arg(p.date_before)
        .arg(p.date_after);
}

QString busy_line(int busy) {
    return QStringLiteral("BUSY %1\n").arg(busy);
}

ChildLog parse_log(const QString& text) {
    ChildLog log;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(u' ');
        if (f.size() == 2 && f[0] == QLatin1String("BUSY")) {
            log.busy = f[1].toInt();
            log.finished = true;
        } else if (f.size() == 6 && (f[0] == QLatin1String("IN") || f[0] == QLatin1String("OUT"))) {
            log.punches.append({f[0] == QLatin1String("IN"), f[1].toInt(), f[2].toInt(), f[3],
                                f[4].toInt(), f[5].toInt()});
        }
    }
    return log;
}

bool is_busy_box(const QString& title, const QString& text) {
    // The codes box names the code in its text ("Code 3045 - ..."), as a server's lock
    // timeout shows it.
    return title.contains(QLatin1String("3045")) || text.contains(QLatin1String("Code 3045")) ||
           text.contains(QLatin1String("in use"), Qt::CaseInsensitive);
}

} // namespace stress
