#include "configuration.h"

#include "station/db.h"
#include "station/fields.h"
#include "station/messages.h"
#include "station/settings.h"
#include "station/station.h"

#include <algorithm>
#include <cmath>

namespace pw {

namespace {

struct BoxShape {
    const char* caption;
    int max_length;
};

const BoxShape kBoxes[kConfigBoxes] = {
    {"Pay period END date", 8},
    {"Shift limit (1-24 hours)", 2},
    {"Punch IN rounding (nearest X minutes)", 2},
    {"Punch OUT rounding (nearest X minutes)", 2},
    {"Receipt printer", 2},
    {"Receipt printer type", 1},
    {"Edit reason #1", 20},
    {"Edit reason #2", 20},
    {"Edit reason #3", 20},
    {"Edit reason #4", 20},
    {"Edit reason #5", 20},
    {"Edit reason #6", 20},
    {"Workweek Start Day (1=Sun, 7=Sat, 0=disabled)", 1},
};

// The numeric value of a box as its 16-bit setting holds it: rounded half to even, as the
// suite's integer columns take a fraction, and held to the field's range.
int box_number(const QString& text) {
    return static_cast<int>(std::nearbyint(std::clamp(val(text), -32768.0, 32767.0)));
}

// Updates the first row of pr, the one loadsettings reads. Throws DbError.
void write_pr(Station& st, int shiftlimit, int inrounding, int outrounding, const ConfigEntries& e,
              int wwstartday) {
    Db db(st.path(st.settings.configdb), DbMode::ReadWrite, st.db_access());
    Transaction t(db);
    QVariantList binds{shiftlimit, inrounding, outrounding};
    for (int n = 0; n < 6; ++n)
        binds << e.boxes[kBoxFirstReason + n];
    binds << wwstartday;
    QSqlQuery q = db.run(QStringLiteral("update pr set shiftlimit = ?, inrounding = ?, "
                                        "outrounding = ?, reason1 = ?, reason2 = ?, "
                                        "reason3 = ?, reason4 = ?, reason5 = ?, reason6 = ?, "
                                        "wwstartday = ? "
                                        "where rowid = (select min(rowid) from pr)"),
                         binds);
    if (q.numRowsAffected() < 1)
        throw DbError(3021, QStringLiteral("No current record."));
    q.finish();
    t.commit();
}

} // namespace

QString config_caption(int box) {
    return box >= 0 && box < kConfigBoxes ? QString::fromLatin1(kBoxes[box].caption) : QString();
}

int config_max_length(int box) {
    return box >= 0 && box < kConfigBoxes ? kBoxes[box].max_length : 0;
}

ConfigEntries config_entries(const Settings& s) {
    ConfigEntries e;
    e.boxes[kBoxPayPeriodEnd] = QString::number(s.nextprdate);
    e.boxes[kBoxShiftLimit] = QString::number(s.shiftlimit);
    e.boxes[kBoxInRounding] = QString::number(s.inrounding);
    e.boxes[kBoxOutRounding] = QString::number(s.outrounding);
    e.boxes[kBoxReceiptPrinter] = QString::number(s.receiptprinter);
    e.boxes[kBoxPrinterType] = QString::number(s.printertype);
    for (int n = 1; n <= 6; ++n)
        e.boxes[kBoxFirstReason + n - 1] = s.reasons[n];
    e.boxes[kBoxWorkWeekStart] = QString::number(s.wwstartday);
    e.remote = s.remotemode != 0;
    return e;
}

QStringList printer_items(const QStringList& printers) {
    QStringList items{QStringLiteral("No Printer")};
    for (qsizetype i = 0; i < printers.size(); ++i)
        items << QString::number(i) + u'-' + printers[i];
    return items;
}

SaveResult save_configuration(Station& st, ConfigEntries& e) {
    if (!suite_reachable(st))
        return SaveResult::SuiteMissing;

    const int wwstartday = checked_wwstartday(box_number(e.boxes[kBoxWorkWeekStart]));
    for (int n = 1; n <= 6; ++n) {
        QString& reason = e.boxes[kBoxFirstReason + n - 1];
        if (reason.isEmpty())
            reason = default_reason(n);
    }
    const int shiftlimit = box_number(e.boxes[kBoxShiftLimit]);
    const int inrounding = box_number(e.boxes[kBoxInRounding]);
    const int outrounding = box_number(e.boxes[kBoxOutRounding]);

    try {
        write_pr(st, shiftlimit, inrounding, outrounding, e, wwstartday);
    } catch (const DbError& error) {
        reporterror(st, error);
        return SaveResult::Failed;
    }

    Settings& s = st.settings;
    s.remotemode = e.remote ? 1 : 0;
    s.wwstartday = wwstartday;
    s.shiftlimit = shiftlimit;
    s.inrounding = inrounding;
    s.outrounding = outrounding;
    s.receiptprinter = box_number(e.boxes[kBoxReceiptPrinter]);
    s.printertype = box_number(e.boxes[kBoxPrinterType]);

    // The file loadsettings reads, so the station starts next time with what was saved here.
    if (s.tclockini.isEmpty())
        s.tclockini = s.localdrive + QStringLiteral("tclock.ini");
    const QString ini = st.path(s.tclockini);
    if (const int code =
            st.files().write(ini, tclock_ini_line(s.receiptprinter, s.printertype, s.remotemode))) {
        reporterror(st, code, QStringLiteral("Could not write ") + ini);
        return SaveResult::Failed;
    }
    return SaveResult::Saved;
}

} // namespace pw
