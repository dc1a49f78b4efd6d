#include "listprint.h"

#include "punch/receipts.h"
#include "reportlines.h"
#include "reportviewer.h"
#include "screens/linelist.h"
#include "station/db.h"
#include "station/messages.h"
#include "station/station.h"
#include "workdb.h"

#include <QCoreApplication>
#include <cmath>

namespace pw {

namespace {

const QString kSeparator(kReceiptWidth, u'-');

QString first40(const QString& text) {
    return text.left(40);
}

} // namespace

QString report_subtitle(int index, const Ranges& r) {
    QString dates =
        QString::number(r.from_date) + QStringLiteral(" to ") + QString::number(r.to_date);
    switch (index) {
    case kWhosPunchedIn:
        return QStringLiteral(" ");
    case kRangeOfEmployees:
    case kBadPunches:
        return dates;
    case kRangeOfJobs:
    case kRecordedVsAdjusted:
        return first40(QStringLiteral("Job ") + QString::number(r.from_job) +
                       QStringLiteral(" to ") + QString::number(r.to_job) + QStringLiteral(", ") +
                       dates);
    case kPunchInTimeRange:
    case kPunchOutTimeRange:
        return first40(QStringLiteral("From ") + r.from_time + QStringLiteral(" to ") + r.to_time +
                       QStringLiteral(", ") + dates);
    default:
        return {};
    }
}

QString centred_name(const QString& name) {
    // (39 - length) / 2 rounded to the nearest whole number, halves to the even one.
    const double blanks = std::nearbyint((kReceiptWidth - double(name.size())) / 2);
    return QString(qsizetype(std::max(0.0, blanks)), u' ') + name;
}

QStringList quick_print_lines(int index, const QStringList& list_lines, const QString& name,
                              const QDateTime& now) {
    QStringList lines;
    lines << QString(kReceiptWidth, u' ') << quick_title(index)
          << now.toString(QStringLiteral("MM-dd-yyyy")) + QStringLiteral(" - ") +
                 now.toString(QStringLiteral("HH:mm:ss"))
          << kSeparator;
    if (is_own_report(index)) {
        lines << centred_name(name) << kSeparator
              << (index <= kMyPunchesLastMonth
                      ? QStringLiteral("Job# and Date        Actual  Final")
                      : QStringLiteral("Job# and Date   Actual     Final"));
    }
    for (const QString& line : list_lines)
        lines << line.left(kReceiptWidth);
    lines << kSeparator;
    for (int i = 0; i < 5; ++i)
        lines << QString();
    return lines;
}

Printed print_list_report(Station& st, const QStringList& list_lines) {
    const int index = st.run.report_index;
    if (st.settings.receiptprinter >= 0) {
        if (is_own_report(index))
            return quick_print(st, list_lines);
        if (askyesno(st, QStringLiteral("Print Quick Report instead of Detailed Report?"),
                     QStringLiteral("Please select..."))) {
            if (st.run.printeroff == 1) {
                st.dialogs().message(
                    QStringLiteral("No receipt printer configured or printer is turned off"),
                    QStringLiteral("Oops..."), Icon::Information);
                return Printed::Nothing;
            }
            return quick_print(st, list_lines);
        }
    } else if (is_own_report(index)) {
        // These reports only go to a receipt printer, and there is none.
        say_no_printer(st);
        return Printed::Nothing;
    }
    return detailed_print(st);
}

Printed print_list_report(Station& st, const LineList& list) {
    return print_list_report(st, list.texts());
}

Printed quick_print(Station& st, const QStringList& list_lines) {
    const QStringList printers = st.printers().names();
    const int number = st.settings.receiptprinter;
    if (number < 0 || number >= printers.size()) {
        st.dialogs().message(QStringLiteral("Invalid POS configuration setting for LOCAL PRINTER"),
                             QStringLiteral("Punchwell"), Icon::None);
        return Printed::Nothing;
    }
    const QStringList lines =
        quick_print_lines(st.run.report_index, list_lines, st.who.name, st.clock().now());
    if (!st.printers().print_lines(printers.at(number), receipt_font(st.settings.printertype),
                                   lines)) {
        st.dialogs().message(QStringLiteral("There's a problem printing to the local printer..."),
                             QStringLiteral("Uh-oh..."), Icon::Information);
        return Printed::Nothing;
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return Printed::Quick;
}

void say_no_printer(Station& st) {
    st.dialogs().message(QStringLiteral("No printer is set up for reports."),
                         QStringLiteral("Oops..."), Icon::Information);
}

std::optional<QString> find_template(Station& st, const QString& name) {
    const QString path = st.shared(name.toUpper());
    if (!name.isEmpty() && st.files().exists(path))
        return path;
    st.dialogs().message(QStringLiteral("The selected Punchwell Report template is not "
                                        "installed.\nPlease check the Support Web Site or call "
                                        "Quorwyn."),
                         path, Icon::Information);
    return std::nullopt;
}

void write_headings(Station& st, const QList<QPair<QString, QString>>& fields) {
    QStringList sets;
    QVariantList values;
    for (const auto& [field, value] : fields) {
        sets << field + QStringLiteral(" = ?");
        values << value;
    }
    Db db(work_db_path(st), DbMode::ReadWrite, st.db_access());
    Transaction t(db);
    const QSqlQuery q =
        db.run(QStringLiteral("update headings set ") + sets.join(QStringLiteral(", ")) +
                   QStringLiteral(" where rowid = (select min(rowid) from headings)"),
               values);
    if (q.numRowsAffected() < 1)
        throw DbError(3021, QStringLiteral("No current record."));
    t.commit();
}

Printed detailed_print(Station& st) {
    const int index = st.run.report_index;
    const std::optional<QString> path = find_template(st, template_name(index));
    if (!path)
        return Printed::Nothing;
    try {
        write_headings(st, {{QStringLiteral("ctlselect"),
                             st.clock().now().toString(QStringLiteral("HH:mm:ss"))},
                            {QStringLiteral("ctlauxtitle"), report_subtitle(index, st.ranges)}});
    } catch (const DbError& e) {
        reporterror(st, e);
        return Printed::Nothing;
    }
    return run_template(st, *path) ? Printed::Detailed : Printed::Nothing;
}

} // namespace pw
