#include "punchlog.h"

#include <QStringList>
#include <algorithm>
#include <vector>

namespace stress {

QString log_line(const LoggedPunch& p) {
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
        .arg(p.in ? QStringLiteral("IN") : QStringLiteral("OUT"))
        .arg(p.emp)
        .arg(p.job)
        .arg(p.time)
        .arg(p.date_before)
        .arg(p.date_after)
        .arg(p.usec);
}

QString busy_line(int busy, int offline) {
    return QStringLiteral("OFFLINE %1\nBUSY %2\n").arg(offline).arg(busy);
}

ChildLog parse_log(const QString& text) {
    ChildLog log;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(u' ');
        if (f.size() == 2 && f[0] == QLatin1String("OFFLINE")) {
            log.offline = f[1].toInt();
        } else if (f.size() == 2 && f[0] == QLatin1String("BUSY")) {
            log.busy = f[1].toInt();
            log.finished = true;
        } else if (f.size() == 7 && (f[0] == QLatin1String("IN") || f[0] == QLatin1String("OUT"))) {
            log.punches.append({f[0] == QLatin1String("IN"), f[1].toInt(), f[2].toInt(), f[3],
                                f[4].toInt(), f[5].toInt(), f[6].toLongLong()});
        }
    }
    return log;
}

QString latency_line(const QList<ChildLog>& logs, int shared_emp) {
    std::vector<qint64> own, shared;
    for (const ChildLog& log : logs)
        for (const LoggedPunch& p : log.punches)
            (p.emp == shared_emp ? shared : own).push_back(p.usec);
    const auto at = [](std::vector<qint64>& usec, double q) {
        std::sort(usec.begin(), usec.end());
        return usec.empty() ? 0.0 : usec[std::size_t(q * double(usec.size() - 1) + 0.5)] / 1000.0;
    };
    return QStringLiteral("latency p50 %1 ms p99 %2 ms shared p50 %3 ms p99 %4 ms")
        .arg(at(own, 0.5), 0, 'f', 1)
        .arg(at(own, 0.99), 0, 'f', 1)
        .arg(at(shared, 0.5), 0, 'f', 1)
        .arg(at(shared, 0.99), 0, 'f', 1);
}

bool is_busy_box(const QString& title, const QString& text) {
    // The codes box names the code in its text ("Code 3045 - ..."), as a server's lock
    // timeout shows it.
    return title.contains(QLatin1String("3045")) || text.contains(QLatin1String("Code 3045")) ||
           text.contains(QLatin1String("in use"), Qt::CaseInsensitive);
}

} // namespace stress
