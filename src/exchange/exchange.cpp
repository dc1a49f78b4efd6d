#include "exchange.h"

#include "punch/punchrecord.h"
#include "reports/prompts.h"
#include "station/db.h"
#include "station/messages.h"
#include "station/station.h"
#include "transferfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>
#include <algorithm>

namespace pw {

namespace {

const QString kConfirmTitle = QStringLiteral("Confirm export file");

// The daily window: the dates limit the in day, the times the adjusted in time of every day.
// Statuses as a list, so that an index leading with tckstatus serves the selection.
PunchQuery export_query(const ExportRange& r, const QVariantList& statuses) {
    QStringList marks;
    for (qsizetype i = 0; i < statuses.size(); ++i)
        marks << QStringLiteral("?");
    return {QStringLiteral("(tckindate >= ? and tckadjtimein >= ?) and "
                           "(tckindate <= ? and tckadjtimein <= ?) and tckstatus in (") +
                marks.join(u',') + u')',
            QVariantList{r.from_date, r.from_time, r.to_date, r.to_time} + statuses};
}

// Open punches stay until they are punched out; a reexport takes the exported ones again.
PunchQuery export_query(const ExportRange& r, bool reexport) {
    return export_query(r, reexport ? QVariantList{int(kExported)}
                                    : QVariantList{int(kClosed), int(kBad), int(kApproved)});
}

// The working folder, ending in "/", as the local folder prefix.
QString folder_prefix(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

// The chosen name made absolute against the working folder, where the station stands.
QString chosen_path(const Station& st, const QString& name) {
    return QDir(st.workdir()).filePath(name);
}

// The suite's databases and the station's own files, by name in any letter case: an export
// written over one of them would destroy it.
bool own_file(const QString& path) {
    const QString name = QFileInfo(path).fileName().toLower();
    static const char* const kNames[] = {"holiday.dat", "tcfilelist.txt", "punchwell.txt"};
    static const char* const kKinds[] = {".mdb", ".sys", ".ini", ".clk", ".exe"};
    return std::any_of(std::begin(kNames), std::end(kNames),
                       [&](const char* n) { return name == QLatin1String(n); }) ||
           std::any_of(std::begin(kKinds), std::end(kKinds),
                       [&](const char* k) { return name.endsWith(QLatin1String(k)); });
}

} // namespace

TimerPause::~TimerPause() {
    timer_.setInterval(1000);
    timer_.start();
}

void TimerPause::stop() {
    timer_.stop();
}

ExportChoice find_for_export(Station& st, const QString& db_file, const ExportRange& range,
                             bool reexport) {
    const PunchQuery query = export_query(range, reexport);
    Db db(db_file, DbMode::ReadOnly, st.db_access());
    QSqlQuery q = db.run(QStringLiteral("select count(*), "
                                        "sum(case when tckexport > 0 then 1 else 0 end) "
                                        "from punch where ") +
                             query.where,
                         query.binds);
    ExportChoice found;
    if (fetch(q)) {
        found.count = q.value(0).toInt();
        found.prior = q.value(1).toInt() > 0;
    }
    return found;
}

ExportResult write_export(Station& st, const QString& db_file, const ExportRange& range,
                          bool reexport, const QString& path, bool replace) {
    const PunchQuery query = export_query(range, reexport);
    Db db(db_file, DbMode::ReadWrite, st.db_access());
    // Taken before the rows are read: what is written is exactly what gets marked.
    Transaction t(db, WriteLock::Bulk); // the marks must meet the rows written
    ExportResult result;
    const PunchQuery open = export_query(range, QVariantList{int(kOpen)});
    result.open_left =
        db.scalar(QStringLiteral("select count(*) from punch where ") + open.where, open.binds)
            .toInt();
    QByteArray lines;
    {
        RowStatement rows(db, QStringLiteral("select ") + punch_select_list() +
                                  QStringLiteral(" from punch where ") + query.where +
                                  QStringLiteral(" order by rowid"));
        rows.query(query.binds);
        QVariantList values;
        while (rows.next(values)) {
            lines += export_line(values);
            ++result.written;
        }
    }
    if (result.written == 0)
        return result;
    const QSqlQuery marked = db.run(QStringLiteral("update punch set tckstatus = ?, "
                                                   "tckexport = coalesce(tckexport, 0) + 1 "
                                                   "where ") +
                                        query.where,
                                    QVariantList{int(kExported)} + query.binds);
    if (marked.numRowsAffected() != result.written)
        throw DbError(3021, QStringLiteral("The punches changed while they were exported."));

    // The whole file is completed under a temporary name and renamed into place just before
    // the commit: a failure on the way marks nothing and leaves the old file as it was.
    std::optional<QByteArray> before;
    if (st.files().exists(path) && !(before = st.files().read(path))) {
        result.file_error = 75;
        return result;
    }
    result.file_error = st.files().replace(path, replace || !before ? lines : *before + lines);
    if (result.file_error)
        return result;
    try {
        t.commit();
    } catch (const DbError&) {
        // Unmarked records must not stay in the file, or the next export sends them twice.
        if (before)
            st.files().replace(path, *before);
        else
            st.files().remove(path);
        throw;
    }
    return result;
}

namespace {

// Two lines of one file for the same punch: equal but for what a reexport changes.
bool same_line(const QVariantList& a, const QVariantList& b) {
    for (qsizetype i = 0; i < a.size(); ++i)
        if (i != col::tckstatus && i != col::tckexport && a[i] != b[i])
            return false;
    return true;
}

} // namespace

ImportResult import_records(Station& st, const QString& db_file, const QByteArray& bytes) {
    Db db(db_file, DbMode::ReadWrite, st.db_access());
    const ImportRecords file = read_import_file(bytes, punch_transfer_layout());
    ImportResult result;
    if (file.error_line > 0) {
        result.error_line = file.error_line;
        result.error = file.error;
        return result;
    }

    Transaction t(db, WriteLock::Import); // the stations punch on meanwhile
    RowStatement insert(db, punch_insert_sql(QStringLiteral("punch")));
    RowStatement held(
        db, QStringLiteral("select count(*) from punch where tckempid = ? and tckindate = ? and "
                           "coalesce(tcktimein, '') = ? and coalesce(tckjobcode, 0) = ? and "
                           "coalesce(tcknode, 0) = ?"));
    // What makes a punch the same punch at both stations is its punch_key. A shift that
    // crossed the weekly 40 hours leaves two rows under one key (the shift and its overtime
    // row), so keys are counted, not merely looked up.
    // Per key: how many rows the table held before this import, and this file's distinct
    // lines. The first lines of a key are the ones the table holds: the export writes a
    // shift before its overtime row and the import keeps the file's order.
    struct Seen {
        int held = 0;
        QList<QVariantList> lines;
    };
    QHash<QString, Seen> seen;
    for (QVariantList row : file.records) {
        const QVariantList key = punch_key(row);
        QString id;
        for (const QVariant& v : key)
            id += v.toString() + u'\x1f';
        auto it = seen.find(id);
        if (it == seen.end()) {
            it = seen.insert(id, {held.scalar(key).toInt(), {}});
        }
        if (std::any_of(it->lines.cbegin(), it->lines.cend(),
                        [&](const QVariantList& l) { return same_line(l, row); })) {
            ++result.already_there; // the same line twice in the file: added once
            continue;
        }
        it->lines << row;
        if (it->lines.size() <= it->held) {
            ++result.already_there;
            continue;
        }
        if (row[col::tckstatus].toInt() == kExported)
            row[col::tckstatus] = qlonglong(kApproved);
        row[col::tckexport] = row[col::tckexport].toLongLong() + 1;
        insert.run(row);
        ++result.added;
    }
    t.commit();
    return result;
}

namespace {

// The export file chosen and confirmed, and whether it replaces the one there (else the rows
// are added to it). Nothing when the manager cancels or names one of the station's own files.
struct ExportTarget {
    QString path;
    bool replace = false;
};

std::optional<ExportTarget> ask_export_target(Station& st) {
    const std::optional<QString> name = st.dialogs().choose_file(
        FileMode::Save, QStringLiteral("Select destination for Punchwell Export File"),
        QStringLiteral("tcexport.csv"), st.workdir(), QStringLiteral("tcexport.csv"));
    if (!name || name->isEmpty())
        return std::nullopt;
    const QString path = chosen_path(st, *name);
    if (own_file(path)) {
        st.dialogs().message(QFileInfo(path).fileName() +
                                 QStringLiteral(" is one of Punchwell's own files. Choose "
                                                "another name."),
                             QStringLiteral("Oops..."), Icon::Information);
        return std::nullopt;
    }
    if (!askyesno(st,
                  QStringLiteral("Click YES to export the ") + *name +
                      QStringLiteral("\nclick NO to cancel the export."),
                  kConfirmTitle))
        return std::nullopt;
    // Replacing waits until there is something to write: a later cancel keeps the old file.
    bool replace = false;
    if (st.files().exists(path)) {
        replace = askyesno(st, QStringLiteral("Replace existing file?"), kConfirmTitle);
        if (!replace)
            st.dialogs().message(
                QStringLiteral("You have chosen to ADD records to an existing export file.\n"
                               "This can easily cause duplicate entries to be exported\n"
                               "if the dates overlap with data that was previously exported.\n\n"
                               "If you wish to change your mind, cancel the next prompts\n"
                               "and start over."),
                QStringLiteral("** CAUTION **"), Icon::Information);
    }
    return ExportTarget{path, replace};
}

} // namespace

void export_punches(Station& st, QTimer& timer) {
    st.settings.localdrive = folder_prefix(st.workdir());
    TimerPause pause(timer);

    const std::optional<ExportTarget> target = ask_export_target(st);
    if (!target)
        return;
    const QString& path = target->path;

    const std::optional<DateRange> dates =
        ask_date_range(st, QStringLiteral("Range of punch IN dates"));
    if (!dates || !ask_time_range(st))
        return;
    const ExportRange range{dates->from, dates->to, st.ranges.from_time, st.ranges.to_time};

    const QString db_file = punch_db_file(st, st.settings.punchdb);
    if (db_file.isEmpty())
        return;
    ExportResult result;
    try {
        bool reexport = false;
        ExportChoice found;
        for (;;) {
            found = find_for_export(st, db_file, range, reexport);
            if (found.count > 0)
                break;
            if (!askyesno(
                    st,
                    QStringLiteral("No active punch records found within the date and/or time "
                                   "period selected.\n"
                                   "Do you want to REEXPORT punch records for the selected date & "
                                   "time?\n\n"
                                   "Caution: reexporting punch records can easily cause duplicate "
                                   "entries to be\n"
                                   "reimported into the main Punchwell system. If you are unsure, "
                                   "click NO and start over."),
                    QStringLiteral("Reexport records?")))
                return;
            reexport = true;
        }
        pause.stop();
        if (found.prior && !askyesno(st,
                                     QStringLiteral("Some of the records in the chosen group have\n"
                                                    "been exported at least once. Do you wish\n"
                                                    "to continue?"),
                                     QStringLiteral("Prior Export")))
            return;
        result = write_export(st, db_file, range, reexport, path, target->replace);
        if (result.file_error) {
            reporterror(st, result.file_error,
                        QStringLiteral("The export file could not be written: ") + path);
            return;
        }
    } catch (const DbError& e) {
        reporterror(st, e);
        return;
    }
    QCoreApplication::processEvents();
    QString done = QStringLiteral("Punchwell export complete.");
    if (result.open_left > 0)
        done += QStringLiteral("\n\n") + punch_count_text(result.open_left) +
                (result.open_left == 1 ? QStringLiteral(" still open in the range was")
                                       : QStringLiteral(" still open in the range were")) +
                QStringLiteral(" left for a later export.");
    st.dialogs().message(done, QStringLiteral("Done"), Icon::Information);
}

void import_punches(Station& st, QTimer& timer) {
    st.settings.localdrive = folder_prefix(st.workdir());
    TimerPause pause(timer);

    const std::optional<QString> name = st.dialogs().choose_file(
        FileMode::Open, QStringLiteral("Select file to Import into Punchwell"),
        QStringLiteral("?.csv (*.csv);;All Files (*.*)"), st.workdir(),
        QStringLiteral("tcexport.csv"));
    if (!name || name->isEmpty())
        return;
    const QString path = chosen_path(st, *name);
    if (!askyesno(st,
                  QStringLiteral("Click YES to import the ") + *name +
                      QStringLiteral("\nclick NO to cancel the import."),
                  QStringLiteral("Confirm import file")))
        return;
    if (!st.files().exists(path)) {
        st.dialogs().message(QStringLiteral("Selected import file is missing. Redo."),
                             QStringLiteral("Oops..."), Icon::Information);
        return;
    }
    pause.stop();

    const QString db_file = punch_db_file(st, st.settings.punchdb);
    if (db_file.isEmpty())
        return;
    const std::optional<QByteArray> bytes = st.files().read(path);
    if (!bytes) {
        reporterror(st, 75, QStringLiteral("The import file could not be read: ") + path);
        return;
    }
    ImportResult result;
    try {
        result = import_records(st, db_file, *bytes);
        if (result.error_line > 0) {
            st.dialogs().message(QStringLiteral("The import file is damaged; nothing was "
                                                "imported.\r\nLine ") +
                                     QString::number(result.error_line) + QStringLiteral(" of ") +
                                     *name + u' ' + result.error + u'.',
                                 QStringLiteral("Oops..."), Icon::Information);
            return;
        }
    } catch (const DbError& e) {
        reporterror(st, e);
        return;
    }
    QCoreApplication::processEvents();
    st.dialogs().message(QStringLiteral("Import Complete\n") + punch_count_text(result.added) +
                             QStringLiteral(" added, ") + punch_count_text(result.already_there) +
                             QStringLiteral(" already there."),
                         QStringLiteral("Punchwell"), Icon::Information);
}

} // namespace pw
