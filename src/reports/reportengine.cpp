#include "reportengine.h"

#include "prompts.h"
#include "punch/forgotten.h"
#include "punch/hours.h"
#include "punch/punchrecord.h"
#include "reportlines.h"
#include "screens/linelist.h"
#include "station/db.h"
#include "station/messages.h"
#include "station/station.h"
#include "workdb.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <optional>

namespace pw {

namespace {

// How long the list may grow unseen before window events run again.
constexpr int kRepaintMs = 40;
// The lines shown while the rows come in: the top of the list, which is what the person
// sees. The rest are made from the work database's copies as the list scrolls; a report
// that fits keeps the lines it has.
constexpr int kShownWhileListing = 1000;

// Lets the list repaint while it grows. User input waits: a button pressed meanwhile must
// not start a second report into the same list.
void let_window_events_run() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// Where the columns the lines read stand in the report's rows; -1 for one that is missing.
struct Positions {
    int empid, jobcode, indate, outdate, payrate, reghours, adjreghours, othours, holidayhours,
        holidayothrs, timein, timeout, adjtimein, adjtimeout, reason, breaktime, breakreduction,
        node;

    explicit Positions(const QSqlRecord& r)
        : empid(r.indexOf("tckempid"))
        , jobcode(r.indexOf("tckjobcode"))
        , indate(r.indexOf("tckindate"))
        , outdate(r.indexOf("tckoutdate"))
        , payrate(r.indexOf("tckpayrate"))
        , reghours(r.indexOf("tckreghours"))
        , adjreghours(r.indexOf("tckadjreghours"))
        , othours(r.indexOf("tckothours"))
        , holidayhours(r.indexOf("tckholidayhours"))
        , holidayothrs(r.indexOf("tckholidayothrs"))
        , timein(r.indexOf("tcktimein"))
        , timeout(r.indexOf("tcktimeout"))
        , adjtimein(r.indexOf("tckadjtimein"))
        , adjtimeout(r.indexOf("tckadjtimeout"))
        , reason(r.indexOf("tckadjreason"))
        , breaktime(r.indexOf("tckbreaktime"))
        , breakreduction(r.indexOf("tckbreakreduction"))
        , node(r.indexOf("tcknode")) {}
};

// The row the rows are at: null and text that is no number read as 0.
ReportRow report_row(const RowStatement& r, const Positions& p) {
    return {r.number(p.jobcode),  r.number(p.indate),
            r.number(p.outdate),  r.number(p.payrate),
            r.number(p.reghours), r.number(p.adjreghours),
            r.number(p.othours),  r.number(p.holidayhours) + r.number(p.holidayothrs),
            r.text(p.timein),     r.text(p.timeout),
            r.text(p.adjtimein),  r.text(p.adjtimeout),
            r.text(p.reason)};
}

// What a row's copy holds instead of the values read: its column and the value.
using Changes = QList<std::pair<int, QVariant>>;

// The display names of one report: each employee number is looked up once, on one
// connection opened at the first number that needs it. On a server every name is read
// before the rows come instead: one statement for them all, on the connection the rows then
// come on, which could not serve a look-up while they do.
class Names {
public:
    Names(Station& st, const Db& rows)
        : st_(st) {
        if (rows.backend() != Backend::PostgreSQL)
            return;
        db_.emplace(st_.path(st_.settings.empdb), DbMode::ReadOnly, st_.db_access());
        all_.emplace(*db_);
    }

    // nullopt for a number no employee has.
    std::optional<QString> of(double empid) {
        auto it = known_.constFind(empid);
        if (it != known_.constEnd())
            return *it;
        const QString text = number_text(empid);
        const double number = checked_number(text);
        if (number == 0)
            return *known_.insert(empid, text);
        if (all_)
            return *known_.insert(empid, all_->name(number, text));
        if (!db_) {
            db_.emplace(st_.path(st_.settings.empdb), DbMode::ReadOnly, st_.db_access());
            lookup_.emplace(*db_);
        }
        return *known_.insert(empid, lookup_->name(number, text));
    }
    const QHash<double, std::optional<QString>>& known() const { return known_; }

private:
    Station& st_;
    std::optional<Db> db_;
    std::optional<AllEmployeeNames> all_; // on a server, read on db_
    std::optional<EmployeeNames> lookup_;
    QHash<double, std::optional<QString>> known_; // by the row's employee number
};

// The work database's side of a report: opened at the first copy, all copies in one
// transaction. A failure here does not stop the list; it is kept and reported at the end,
// when the list is complete, and the work database then keeps none of the copies.
class Copies {
public:
    Copies(Station& st, int width)
        : st_(st)
        , width_(width) {}

    // Copies the row rows are at, the changes in their columns' place.
    void add(RowStatement& rows, const Changes& changes) {
        if (failed_)
            return;
        try {
            open();
            rows.copy_to(*insert_, changes);
        } catch (const DbError& e) {
            failed_ = e;
        }
    }
    void commit() {
        if (!failed_) {
            try {
                open();
            } catch (const DbError& e) {
                failed_ = e;
            }
        }
        if (failed_)
            throw *failed_;
        t_->commit();
    }
    // The rowid before the first copy's: the copies follow it in order.
    qint64 base() const { return base_; }

private:
    void open() {
        if (db_)
            return;
        db_.emplace(work_db_path(st_), DbMode::ReadWrite, st_.db_access());
        as_scratch(*db_);
        t_.emplace(*db_);
        base_ =
            db_->scalar(QStringLiteral("select coalesce(max(rowid), 0) from punch")).toLongLong();
        insert_.emplace(*db_, work_copy_sql(width_));
    }

    Station& st_;
    int width_;
    std::optional<Db> db_;
    std::optional<Transaction> t_;
    std::optional<RowStatement> insert_;
    std::optional<DbError> failed_;
    qint64 base_ = 0;
};

// A listed report's rows as its copies in the work database give them back, made into lines
// when the list shows them.
class CopiedRows : public LineSource {
public:
    CopiedRows(const Station& st, int index, const Positions& at, qint64 base,
               QHash<double, std::optional<QString>> names)
        : path_(work_db_path(st))
        , access_(st.db_access())
        , index_(index)
        , at_(at)
        , base_(base)
        , names_(std::move(names)) {}

    QStringList lines(int first, int count) const override {
        QStringList out;
        try {
            Db work(path_, DbMode::ReadOnly, access_);
            RowStatement rows(work, QStringLiteral("select * from punch where rowid between ? "
                                                   "and ? order by rowid"));
            rows.query({base_ + 1 + first, base_ + first + count});
            while (rows.advance())
                out += report_lines(index_, report_row(rows, at_),
                                    names_.value(rows.number(at_.empid)).value_or(kRedo));
        } catch (const DbError& e) {
            // Painting cannot wait for a box: the lines stay blank, the failure goes to the
            // log of warnings.
            qWarning("%s", e.what());
        }
        return out;
    }

private:
    QString path_;
    DbAccess access_;
    int index_;
    Positions at_;
    qint64 base_;
    QHash<double, std::optional<QString>> names_;
};

// An open punch as Who's Punched In lists it: the hours it has run until now, from the
// rounded in time or the recorded one on a row that has none, and a note when it has been
// open longer than a shift can be, most likely a forgotten punch out.
class OpenPunchMarks {
public:
    OpenPunchMarks(Station& st, Db& punch)
        : settings_(st.settings)
        , now_(now_of(st))
        , now_secs_(now_.at.toSecsSinceEpoch())
        , in_offsets_(open_in_offsets(punch)) {}

    // Marks the row rows are at in open, as report_row read it, and in its copy's changes.
    void mark(const RowStatement& rows, ReportRow& open, const Positions& at,
              Changes& changes) const {
        const QString in_time = open.adjtimein.isEmpty() ? open.timein : open.adjtimein;
        const auto kept =
            in_offsets_.isEmpty()
                ? in_offsets_.cend()
                : in_offsets_.constFind(open_punch_key(
                      rows.number(at.empid), rows.number(at.indate), rows.text(at.timein),
                      rows.number(at.jobcode), rows.number(at.node)));
        open.reghours =
            calctime(settings_, now_, int(open.indate), in_time, rows.number(at.breaktime),
                     rows.number(at.breakreduction),
                     kept == in_offsets_.cend() ? std::nullopt : std::optional<int>(*kept))
                .hours;
        changes.append({at.reghours, open.reghours});
        if (at.reason >= 0 && open.reason.isEmpty() &&
            open_too_long(settings_, int(open.indate), in_time, now_secs_)) {
            open.reason = QStringLiteral("OPEN TOO LONG - forgot to punch out?");
            changes.append({at.reason, open.reason});
        }
    }

private:
    const Settings& settings_;
    Now now_;
    qint64 now_secs_;
    // Which pass of a repeated hour each open punch began in.
    QHash<OpenPunchKey, int> in_offsets_;
};

// Streams the rows into the list and, with copy, into the work database; returns how many
// rows named an unknown employee. With copy, the list then reads its lines from the copies;
// without, or when copying failed, it keeps every line.
int fill(Station& st, LineList& list, int index, const ReportQuery& query, bool copy) {
    Db punch(st.path(st.settings.punchdb), DbMode::ReadOnly, st.db_access());
    // Read before the rows stream.
    std::optional<OpenPunchMarks> marks;
    if (index == kWhosPunchedIn)
        marks.emplace(st, punch);
    Names names(st, punch);
    // The window gets its turn once the listing has taken a while, not before: a short
    // report is painted once, whole.
    QElapsedTimer shown;
    shown.start();
    RowStatement rows(punch, query.sql);
    rows.query(query.binds);

    const QSqlRecord layout = rows.record();
    const Positions at(layout);
    const int width = layout.count();
    std::optional<Copies> copies;
    if (copy)
        copies.emplace(st, width);
    ReportTotals totals;
    int unknown = 0;
    QStringList pending;
    Changes changes;
    while (rows.advance()) {
        const std::optional<QString> name = names.of(rows.number(at.empid));
        unknown += name ? 0 : 1;
        ReportRow row = report_row(rows, at);
        changes.clear();
        if (marks && at.reghours >= 0)
            marks->mark(rows, row, at, changes);
        totals.add(row);
        if (!copies || list.count() + pending.size() < kShownWhileListing)
            pending += report_lines(index, row, name.value_or(kRedo));

        if (copies)
            copies->add(rows, changes);

        if (shown.elapsed() >= kRepaintMs) {
            list.addItems(pending);
            pending.clear();
            let_window_events_run();
            shown.restart();
        }
    }
    const QStringList footer = report_footer(index, totals);
    if (!copies) {
        list.addItems(pending + footer);
        return unknown;
    }
    list.addItems(pending);
    try {
        copies->commit();
    } catch (const DbError&) {
        // No copies to read the lines from: the list is made again, every line kept.
        list.clear();
        fill(st, list, index, query, false);
        throw;
    }
    const int per_row = int(report_lines(index, {}, {}).size());
    if (list.count() == totals.rows * per_row) {
        list.addItems(footer);
        return unknown;
    }
    // The top keeps the lines listed so far; the rows beyond are read back as the list
    // scrolls to them.
    list.model_lines().show_rows(
        std::make_unique<CopiedRows>(st, index, at, copies->base(), names.known()), totals.rows,
        per_row, footer, list.model_lines().lines());
    return unknown;
}

} // namespace

bool run_report(Station& st, LineList& list, int index, const ReportQuery& query) {
    try {
        const int unknown = fill(st, list, index, query, true);
        for (int i = 0; i < unknown; ++i)
            invalid_employee(st);
    } catch (const DbError& e) {
        reporterror(st, e);
        return false;
    }
    let_window_events_run();
    return st.settings.receiptprinter >= 0 || st.who.manager == 1;
}

} // namespace pw
