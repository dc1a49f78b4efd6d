#include "exchange.h"

#include "punch/punchrecord.h"
#include "reports/prompts.h"
#include "station/db.h"
#include "station/messages.h"
#include "station/station.h"
#include "transferfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>

namespace pw {

namespace {

const QString kConfirmTitle = QStringLiteral("Confirm export file");

// The daily window: the dates limit the in day, the times the adjusted in time of every day.
PunchQuery export_query(const ExportRange& r, bool reexport) {
    return {QStringLiteral("(tckindate >= ? and tckadjtimein >= ?) and "
                           "(tckindate <= ? and tckadjtimein <= ?) and tckstatus ") +
                (reexport ? QStringLiteral("= ?") : QStringLiteral("< ?")),
            {r.from_date, r.from_time, r.to_date, r.to_time, int(kExported)}};
}

// The working folder, ending in "/", as the local folder prefix.
QString folder_prefix(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

// The chosen name made absolute against the working folder, where the station stands.
QString chosen_path(const Station& st, const QString& name) {
    return QDir(st.workdir()).filePath(name);
}

// Puts the file back as it was before the export wrote to it.
void restore_file(Station& st, const QString& path, const std::optional<QByteArray>& before) {
    if (before)
        st.files().write(path, *before);
    else
        st.files().remove(path);
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
    Db db(db_file, DbMode::ReadOnly, st.busy_timeout_ms);
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
    Db db(db_file, DbMode::ReadWrite, st.busy_timeout_ms);
    // Taken before the rows are read: what is written is exactly what gets marked.
    Transaction t(db);
    QByteArray lines;
    QList<qint64> rowids;
    {
        QSqlQuery q = db.run(QStringLiteral("select *, rowid from punch where ") + query.where +
                                 QStringLiteral(" order by rowid"),
                             query.binds);
        while (fetch(q)) {
            const int columns = q.record().count() - 1;
            QVariantList values;
            for (int i = 0; i < columns; ++i)
                values << q.value(i);
            lines += export_line(values);
            rowids << q.value(columns).toLongLong();
        }
    }
    if (rowids.isEmpty())
        return {};

    const std::optional<QByteArray> before =
        st.files().exists(path) ? st.files().read(path) : std::nullopt;
    ExportResult result;
    result.file_error = replace ? st.files().write(path, lines) : st.files().append(path, lines);
    if (result.file_error)
        return result;
    try {
        for (const qint64 rowid : rowids)
            db.run(QStringLiteral("update punch set tckstatus = ?, "
                                  "tckexport = coalesce(tckexport, 0) + 1 where rowid = ?"),
                   {int(kExported), rowid});
        t.commit();
    } catch (const DbError&) {
        // Unmarked records must not stay in the file, or the next export sends them twice.
        restore_file(st, path, before);
        throw;
    }
    result.written = int(rowids.size());
    return result;
}

ImportResult import_records(Station& st, const QString& db_file, const QString& text) {
    Db db(db_file, DbMode::ReadWrite, st.busy_timeout_ms);
    PunchBuffer layout;
    read_punch_row(db, marker_query(), layout);
    const TransferRecords file = read_transfer_file(text, layout.field_count());
    ImportResult result;
    if (file.error_line > 0) {
        result.error_line = file.error_line;
        result.error = file.error;
        return result;
    }

    Transaction t(db);
    for (const QStringList& record : file.records) {
        PunchBuffer row = layout;
        for (int i = 0; i < row.field_count(); ++i)
            row[i] = import_value(record[i], row.types[i]);
        if (row.integer(col::tckstatus) == kExported)
            row[col::tckstatus] = int(kApproved);
        row[col::tckexport] = row.number(col::tckexport) + 1;
        set_busy(row);
        write_punch_row(db, marker_query(), row);
        ++result.added;
    }
    t.commit();
    return result;
}

void export_punches(Station& st, QTimer& timer) {
    st.settings.localdrive = folder_prefix(st.workdir());
    TimerPause pause(timer);

    const std::optional<QString> name = st.dialogs().choose_file(
        FileMode::Save, QStringLiteral("Select destination for Punchwell Export File"),
        QStringLiteral("tcexport.csv"), st.workdir(), QStringLiteral("tcexport.csv"));
    if (!name || name->isEmpty())
        return;
    const QString path = chosen_path(st, *name);
    if (!askyesno(st,
                  QStringLiteral("Click YES to export the ") + *name +
                      QStringLiteral("\nclick NO to cancel the export."),
                  kConfirmTitle))
        return;
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

    const std::optional<DateRange> dates =
        ask_date_range(st, QStringLiteral("Range of punch IN dates"));
    if (!dates || !ask_time_range(st))
        return;
    const ExportRange range{dates->from, dates->to, st.ranges.from_time, st.ranges.to_time};

    const QString db_file = punch_db_file(st, st.settings.punchdb);
    if (db_file.isEmpty())
        return;
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
        const ExportResult result = write_export(st, db_file, range, reexport, path, replace);
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
    st.dialogs().message(QStringLiteral("Punchwell export complete."), QStringLiteral("Done"),
                         Icon::Information);
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
    try {
        const ImportResult result = import_records(st, db_file, QString::fromUtf8(*bytes));
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
    st.dialogs().message(QStringLiteral("Import Complete"), QStringLiteral("Punchwell"),
                         Icon::Information);
}

} // namespace pw
