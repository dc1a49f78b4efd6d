#include "tickets.h"

#include "station/db.h"
#include "station/messages.h"
#include "station/settings.h"
#include "station/station.h"

#include <QCoreApplication>

namespace pw {

namespace {

const QString kPosProgram = QStringLiteral("tillmar.exe");

// Tickets are counted over their ord-0 rows; the server is the employee number.
const QString kCentralCount =
    QStringLiteral("select count(ticket) from xact where server = ? and ord = 0");
// On the terminal only the open states count.
const QString kLocalCount = kCentralCount + QStringLiteral(" and (status = 1 or status = 2)");

std::optional<qint64> count_in(Station& st, const QString& file, const QString& sql,
                               double employee) {
    if (file.isEmpty() || !database_exists(st.files(), file, st.db_access()))
        return std::nullopt;
    std::optional<qint64> count;
    try {
        Db db(file, DbMode::ReadOnly, st.db_access());
        count = db.scalar(sql, {employee}).toLongLong();
    } catch (const DbError& e) {
        // The check only informs: say what went wrong and let the punch out go on.
        reporterror(st, e);
    }
    QCoreApplication::processEvents();
    return count;
}

QString count_text(const std::optional<qint64>& count) {
    return count ? QString::number(*count) : QString();
}

} // namespace

bool pos_present(Station& st) {
    return st.programs().exists(kPosProgram) || st.settings.posunit > 0 ||
           st.files().exists(st.shared(kPosProgram));
}

TicketCounts count_open_tickets(Station& st, double employee) {
    TicketCounts counts;
    if (!st.settings.postempdb.isEmpty())
        counts.central = count_in(st, st.path(st.settings.postempdb), kCentralCount, employee);
    if (!st.settings.posholddb.isEmpty())
        counts.local = count_in(st, st.local(st.settings.posholddb), kLocalCount, employee);
    return counts;
}

QString open_tickets_message(const TicketCounts& c) {
    if (c.central.value_or(0) <= 0 && c.local.value_or(0) <= 0)
        return {};
    const qint64 total = c.central.value_or(0) + c.local.value_or(0);
    return QStringLiteral("There are ") + QString::number(total) +
           QStringLiteral(" sales transactions still open for you.  \r\n\r\n"
                          "Central hold tickets: ") +
           count_text(c.central) + QStringLiteral("\r\nLocal hold tickets:     ") +
           count_text(c.local) + QStringLiteral("\r\n");
}

void check_open_tickets(Station& st, double employee) {
    if (!pos_present(st))
        return;
    const QString text = open_tickets_message(count_open_tickets(st, employee));
    if (!text.isEmpty())
        st.dialogs().message(text, QStringLiteral("Open POS Tickets Exist"), Icon::Information);
}

} // namespace pw
