#include "purge.h"

#include "punch/punchrecord.h"
#include "reports/prompts.h"
#include "station/db.h"
#include "station/messages.h"
#include "station/station.h"

namespace pw {

namespace {

QString range_text(int from, int to) {
    return QStringLiteral("Archive/Purge punch data from ") + QString::number(from) +
           QStringLiteral(" through ") + QString::number(to);
}

const QString kInRange = QStringLiteral("tckindate >= ? and tckindate <= ?");

} // namespace

QString purge_question(int from, int to) {
    return range_text(from, to) +
           QStringLiteral("\r\n\r\nClick YES to continue, click NO to cancel.");
}

QString purge_caution(int from, int to) {
    return range_text(from, to) +
           QStringLiteral("\r\n\r\nCAUTION: THIS IS A PERMANENT ACTION WITHOUT AN UNDO "
                          "PROCEDURE!\r\n\r\nClick YES to start now, click NO to cancel.");
}

bool archivepurge(Station& st) {
    const int from = st.ranges.from_date;
    const int to = st.ranges.to_date;
    const QString file = punch_db_file(st, st.settings.punchdb);
    if (file.isEmpty())
        return false;
    try {
        Db db(file, DbMode::ReadWrite, st.db_access());
        Transaction t(db, WriteLock::Bulk);
        const QString columns = punch_select_list();
        QSqlQuery copy =
            db.run(QStringLiteral("insert into history (") + columns + QStringLiteral(") select ") +
                       columns + QStringLiteral(" from punch where ") + kInRange +
                       QStringLiteral(" order by rowid"),
                   {from, to});
        const int copied = copy.numRowsAffected();
        copy.finish();
        QSqlQuery purge = db.run(QStringLiteral("delete from punch where ") + kInRange, {from, to});
        const int deleted = purge.numRowsAffected();
        purge.finish();
        forget_offsets(db, from, to);
        // Under the write lock nobody can add a punch in between; should the counts differ
        // all the same, nothing may be deleted that was not stored.
        if (copied != deleted)
            throw DbError(3021, QStringLiteral("Archive/purge stored %1 punches but found %2 to "
                                               "delete; nothing was purged.")
                                    .arg(copied)
                                    .arg(deleted));
        t.commit();
    } catch (const DbError& e) {
        reporterror(st, e);
        return false;
    }
    st.dialogs().message(QStringLiteral("Punch data archived/purged between ") +
                             QString::number(from) + QStringLiteral(" and ") + QString::number(to),
                         QStringLiteral("Archive/Purge Complete"), Icon::Information);
    return true;
}

void archive_purge(Station& st, const std::function<void(const QString&)>& progress) {
    const std::optional<DateRange> range =
        ask_date_range(st, QStringLiteral("From/To Archive/Purge Dates"));
    st.ranges.from_date = range ? range->from : 0;
    st.ranges.to_date = range ? range->to : 0;
    const int from = st.ranges.from_date;
    const int to = st.ranges.to_date;
    if (from < 1 || to < 1)
        return;
    if (!askyesno(st, purge_question(from, to), QStringLiteral("Purge Punchwell Data")))
        return;
    if (!askyesno(st, purge_caution(from, to),
                  QStringLiteral("CAUTION - Archive/Purge Punchwell Data")))
        return;
    progress(QStringLiteral("WAIT - ARCHIVE/PURGE IN PROGRESS..."));
    const bool done = archivepurge(st);
    progress(done ? QStringLiteral("Archive/Purge Complete") : QString());
}

} // namespace pw
