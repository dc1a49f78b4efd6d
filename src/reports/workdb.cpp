#include "workdb.h"

#include "punch/punchtable.h"
#include "station/db.h"
#include "station/messages.h"
#include "station/station.h"

namespace pw {

namespace {

// The texts the station's numbered-code box gives the file errors.
QString file_error_text(int code) {
    switch (code) {
    case 53:
        return QStringLiteral("File not found");
    case 57:
        return QStringLiteral("Device I/O error");
    case 75:
        return QStringLiteral("Path/File access error");
    default:
        return QStringLiteral("File error");
    }
}

} // namespace

QString work_db_name(int nodenumber) {
    return QStringLiteral("rpt") + (QStringLiteral("00") + QString::number(nodenumber)).right(2) +
           QStringLiteral(".mdb");
}

QString work_db_path(const Station& st) {
    return st.local(work_db_name(st.settings.nodenumber));
}

std::optional<QString> make_report_database(Station& st) {
    const QString name = work_db_name(st.settings.nodenumber);
    const QString blank = st.local(QStringLiteral("rpt00.sys"));
    if (st.files().exists(blank)) {
        // Every spelling of the name goes, so that no stale copy in another letter case is
        // found instead of the fresh one. The name has six letters: at most 64 spellings.
        // Each look for a spelling reads the folder; the last one found none, so the name
        // as it stands is the copy's.
        QString work = st.local(name);
        for (int n = 0; n < 64 && st.files().exists(work); ++n) {
            if (const int code = st.files().remove(work)) {
                reporterror(st, code, file_error_text(code));
                return std::nullopt;
            }
            work = st.local(name);
        }
        if (const int code = st.files().copy(blank, work)) {
            reporterror(st, code, file_error_text(code));
            return std::nullopt;
        }
        return work;
    }
    return work_db_path(st);
}

void as_scratch(Db& work) {
    if (work.backend() != Backend::SQLite)
        return;
    work.run(QStringLiteral("pragma synchronous = off"));
    work.run(QStringLiteral("pragma journal_mode = memory"));
}

QString work_copy_sql(qsizetype width) {
    if (width > col::count)
        throw DbError(3018, QStringLiteral("The report database's punch table has %1 columns, "
                                           "the report rows %2.")
                                .arg(col::count)
                                .arg(width));
    return punch_insert_sql(QStringLiteral("punch"), width);
}

} // namespace pw
