#include "results.h"

#include "station/messages.h"
#include "station/settings.h"
#include "station/station.h"

#include <QCoreApplication>

namespace pw {

void tell(Station& st, const QString& text, const QString& title) {
    st.dialogs().message(text, title, Icon::Information);
}

void let_events_run() {
    QCoreApplication::processEvents();
}

QStringList in_result_lines(const QString& clock_time, const QString& job) {
    return {QStringLiteral("In at %1 for %2.").arg(clock_time.left(5), job),
            QStringLiteral("Have a good shift.")};
}

QStringList out_result_lines(const OutResult& r) {
    const auto h = [](double v) { return QString::number(v, 'f', 2) + QStringLiteral(" h"); };
    QStringList lines{QStringLiteral("Out at %1.").arg(r.time.left(5)),
                      QStringLiteral("This shift %1, this week %2.").arg(h(r.shift), h(r.week))};
    if (r.overtime > 0)
        lines << QStringLiteral("Overtime %1.").arg(h(r.overtime));
    if (r.holiday > 0)
        lines << QStringLiteral("Holiday %1.").arg(h(r.holiday));
    if (!r.review.isEmpty())
        lines << QStringLiteral("This shift waits for a manager: %1.").arg(r.review);
    return lines;
}

bool payrules_ready(Station& st) {
    if (st.settings.payrules_loaded)
        return true;
    tell(st, payrules_waiting_text(st.settings), QStringLiteral("Punchwell"));
    return false;
}

} // namespace pw
