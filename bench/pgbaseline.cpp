#include "pgbaseline.h"

#include <QFile>
#include <QRegularExpression>
#include <cstdlib>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <stdexcept>
#include <vector>

namespace bench::pgbare {

Server::Server(const QString& url)
    : conn_(PQconnectdb(url.toUtf8().constData())) {
    if (PQstatus(conn_) != CONNECTION_OK)
        throw std::runtime_error(std::string("connect: ") + PQerrorMessage(conn_));
}

Server::~Server() {
    PQfinish(conn_);
}

QByteArray Server::prepared(const QByteArray& sql) {
    auto it = prepared_.find(sql);
    if (it == prepared_.end()) {
        const QByteArray name = "s" + QByteArray::number(prepared_.size());
        PGresult* r = PQprepare(conn_, name.constData(), sql.constData(), 0, nullptr);
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        if (!ok)
            throw std::runtime_error(std::string("prepare: ") + PQerrorMessage(conn_));
        it = prepared_.insert(sql, name);
    }
    return *it;
}

namespace {

// The values as libpq takes them: text, a null pointer for null.
struct Params {
    explicit Params(const QVariantList& values) {
        for (const QVariant& v : values)
            text.push_back(v.isNull() ? QByteArray() : v.toString().toUtf8());
        for (qsizetype i = 0; i < values.size(); ++i)
            pointers.push_back(values[i].isNull() ? nullptr : text[size_t(i)].constData());
    }
    std::vector<QByteArray> text;
    std::vector<const char*> pointers;
};

} // namespace

void Server::each_row(const QByteArray& sql, const QVariantList& values,
                      const std::function<void(const pg_result*)>& row) {
    const Params params(values);
    if (!PQsendQueryPrepared(conn_, prepared(sql).constData(), int(params.pointers.size()),
                             params.pointers.data(), nullptr, nullptr, 0) ||
        !PQsetSingleRowMode(conn_))
        throw std::runtime_error(std::string("send: ") + PQerrorMessage(conn_));
    std::string failed;
    while (PGresult* r = PQgetResult(conn_)) {
        const ExecStatusType status = PQresultStatus(r);
        if (status == PGRES_SINGLE_TUPLE)
            row(r);
        else if (status != PGRES_TUPLES_OK)
            failed = PQerrorMessage(conn_);
        PQclear(r);
    }
    if (!failed.empty())
        throw std::runtime_error("exec: " + failed);
}

pg_result* Server::run(const QByteArray& sql, const QVariantList& values) {
    const Params params(values);
    PGresult* r = PQexecPrepared(conn_, prepared(sql).constData(), int(params.pointers.size()),
                                 params.pointers.data(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(r);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        PQclear(r);
        throw std::runtime_error(std::string("exec: ") + PQerrorMessage(conn_));
    }
    return r;
}

void Server::exec(const QByteArray& sql, const QVariantList& values) {
    PQclear(run(sql, values));
}

void Server::simple(const QByteArray& sql) {
    PGresult* r = PQexec(conn_, sql.constData());
    const ExecStatusType status = PQresultStatus(r);
    PQclear(r);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
        throw std::runtime_error(std::string("exec: ") + PQerrorMessage(conn_));
}

QByteArray server_sql(const QString& sql, const QString& schema) {
    static const QRegularExpression table(QStringLiteral(R"(\b(from|into|update|join)\s+(\w+))"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString out =
        QString(sql).replace(table, QStringLiteral("\\1 ") + schema + QStringLiteral(".\\2"));
    QString numbered;
    int n = 0;
    for (const QChar c : out)
        numbered += c == u'?' ? QStringLiteral("$%1").arg(++n) : QString(c);
    return numbered.toUtf8();
}

namespace {

const QByteArray kWho = "select empfname, emplname, pword from emp.empinfo where empid = $1 and "
                        "emp.pw_real(cast(empstatus as text)) = 1";
// An open punch's kept UTC offset, found by the punch's key.
const QByteArray kZone =
    " left join punchclk.punchzone z on z.tckempid = p.tckempid and z.tckindate = p.tckindate "
    "and z.tcktimein = p.tcktimein and z.tckjobcode = p.tckjobcode and z.tcknode = p.tcknode ";
const QByteArray kOpen = "select p.tckindate, p.tckadjtimein, p.tckbreaktime, "
                         "p.tckbreakreduction, p.tckjobcode, p.tckjobdescription, z.inoffset "
                         "from punchclk.punch p" +
                         kZone + "where p.tckempid = $1 and p.tckstatus = 1";
const int kOffset = -4 * 3600;
const QByteArray kJobs =
    "select empjobs.jobcode, empjobs.payrate, jobs.jobdescription from emp.empjobs join "
    "emp.jobs on empjobs.jobcode = jobs.jobcode where empjobs.empid = $1 and "
    "empjobs.glacctnum < 1 order by empjobs.jobcode";
const QByteArray kNames = "select empid, empfname, emplname from emp.empinfo order by empid, rowid";
// A write transaction begun holding the punch database's lock, in one round trip.
const QByteArray kBeginLocked = "begin; select pg_advisory_xact_lock(hashtext('punchclk'))";

} // namespace

void identify(Server& s, int employee) {
    s.exec(kWho, {employee});
    s.exec(kOpen, {employee});
    s.exec(kJobs, {employee});
}

void punch_in(Server& s, int employee, int job, int date, const QString& time) {
    s.exec("select breaktime, breakreduction from emp.jobs where jobcode = $1", {job});
    s.simple(kBeginLocked);
    s.exec("select rowid from punchclk.punch where tckempid = $1 and tckstatus = 1", {employee});
    s.exec("insert into punchclk.punch (tckindate, tckempid, tckjobcode, tckjobdescription, "
           "tckpayrate, tckbreaktime, tckbreakreduction, tcktimein, tckadjtimein, tckstatus) "
           "values ($1, $2, $3, $4, $5, $6, $7, $8, $9, 1)",
           {date, employee, job, QStringLiteral("Job"), 10.5, 0.0, 0.0, time, time});
    s.exec("insert into punchclk.punchzone (tckempid, tckindate, tcktimein, tckjobcode, tcknode, "
           "inoffset) values ($1, $2, $3, $4, 0, $5)",
           {employee, date, time, job, kOffset});
    s.exec("commit");
}

void punch_out(Server& s, int employee, int job, int week_from, int week_to) {
    s.exec("select count(ticket) from hbpostmp.xact where server = $1 and ord = 0", {employee});
    const QByteArray where = "tckempid = $1 and tckjobcode = $2 and tckstatus = $3";
    PGresult* open = s.run("select p.*, z.inoffset from punchclk.punch p" + kZone +
                               "where p.tckempid = $1 and p.tckjobcode = $2 and p.tckstatus = $3 "
                               "order by p.rowid limit 1",
                           {employee, job, 1});
    const bool found = PQntuples(open) > 0;
    auto field = [&](const char* name) {
        return found ? QString::fromUtf8(PQgetvalue(open, 0, PQfnumber(open, name))) : QString();
    };
    const QString rowid = found ? field("rowid") : QStringLiteral("0");
    const QVariantList key{employee, field("tckindate"), field("tcktimein"), job, field("tcknode")};
    PQclear(open);
    s.simple(kBeginLocked);
    s.exec("select sum(tckadjreghours) from punchclk.punch where tckempid = $1 and tckindate "
           "between $2 and $3",
           {employee, week_from, week_to});
    s.exec("update punchclk.punch set tckoutdate = $4, tcktimeout = $5, tckadjtimeout = $6, "
           "tckreghours = $7, tckadjreghours = $8, tckstatus = 2 where rowid = $9 and " +
               where,
           {employee, job, 1, week_to, QStringLiteral("16:00:00"), QStringLiteral("16:00:00"), 8.0,
            8.0, rowid});
    s.exec("update punchclk.punchzone set outoffset = $1 where tckempid = $2 and tckindate = $3 "
           "and tcktimein = $4 and tckjobcode = $5 and tcknode = $6",
           QVariantList{kOffset} + key);
    s.exec("commit");
}

void report(Server& s, const bare::Paths& p, const QString& sql, const QVariantList& binds,
            const std::optional<bare::SoFar>& so_far) {
    QFile::remove(p.work);
    QFile::copy(p.blank, p.work);
    sqlite3* work = nullptr;
    sqlite3_open_v2(p.work.toUtf8().constData(), &work, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                    nullptr);
    sqlite3_exec(work, "pragma synchronous = off; pragma journal_mode = memory; begin immediate",
                 nullptr, nullptr, nullptr);
    // Every name in one statement: cheaper on a server than a round trip per employee. Read
    // before the rows, which then come while the earlier ones are copied.
    // The names stay in the server's answer, found by the employee's row there.
    PGresult* all = s.run(kNames, {});
    QHash<double, int> names;
    names.reserve(PQntuples(all));
    for (int r = PQntuples(all) - 1; r >= 0; --r)
        names.insert(std::atof(PQgetvalue(all, r, 0)), r); // the first row of a number stays
    // The kept UTC offsets of the open punches, read before the rows as the station does.
    bare::InOffsets offsets;
    if (so_far) {
        PGresult* kept = s.run(
            server_sql(QString::fromLatin1(bare::kOpenOffsets), QStringLiteral("punchclk")), {});
        for (int r = 0; r < PQntuples(kept); ++r)
            offsets.insert(bare::open_key(std::atof(PQgetvalue(kept, r, 0)),
                                          std::atoll(PQgetvalue(kept, r, 1)),
                                          PQgetvalue(kept, r, 2),
                                          std::atoll(PQgetvalue(kept, r, 3)),
                                          std::atoll(PQgetvalue(kept, r, 4))),
                           std::atoi(PQgetvalue(kept, r, 5)));
        PQclear(kept);
    }
    sqlite3_stmt* copy = nullptr;
    int columns = 0, empid = -1, indate = -1, timein = -1, adjtimein = -1, breaktime = -1,
        breakreduction = -1, reghours = -1, reason = -1, jobcode = -1, node = -1;
    s.each_row(server_sql(sql, QStringLiteral("punchclk")), binds, [&](const PGresult* row) {
        if (!copy) {
            columns = std::min(PQnfields(row), 29); // the server's rowid is not copied
            QByteArray marks = "?";
            for (int c = 1; c < columns; ++c)
                marks += ",?";
            sqlite3_prepare_v2(work, "insert into punch values (" + marks + ")", -1, &copy,
                               nullptr);
            empid = PQfnumber(row, "tckempid");
            indate = PQfnumber(row, "tckindate");
            timein = PQfnumber(row, "tcktimein");
            adjtimein = PQfnumber(row, "tckadjtimein");
            breaktime = PQfnumber(row, "tckbreaktime");
            breakreduction = PQfnumber(row, "tckbreakreduction");
            reghours = PQfnumber(row, "tckreghours");
            reason = PQfnumber(row, "tckadjreason");
            jobcode = PQfnumber(row, "tckjobcode");
            node = PQfnumber(row, "tcknode");
        }
        // The name each row shows, as the station finds it.
        const int named = names.value(std::atof(PQgetvalue(row, 0, empid)), -1);
        if (named >= 0)
            (void)PQgetvalue(all, named, 1), (void)PQgetvalue(all, named, 2);
        sqlite3_reset(copy);
        for (int c = 0; c < columns; ++c) {
            if (PQgetisnull(row, 0, c))
                sqlite3_bind_null(copy, c + 1);
            else
                sqlite3_bind_text(copy, c + 1, PQgetvalue(row, 0, c), PQgetlength(row, 0, c),
                                  SQLITE_STATIC);
        }
        if (so_far && reghours >= 0) {
            const int in = PQgetisnull(row, 0, adjtimein) ? timein : adjtimein;
            std::optional<int> kept;
            if (!offsets.isEmpty()) {
                const auto it = offsets.constFind(bare::open_key(
                    std::atof(PQgetvalue(row, 0, empid)), std::atoll(PQgetvalue(row, 0, indate)),
                    PQgetvalue(row, 0, timein), std::atoll(PQgetvalue(row, 0, jobcode)),
                    node >= 0 ? std::atoll(PQgetvalue(row, 0, node)) : 0));
                if (it != offsets.cend())
                    kept = *it;
            }
            const bare::OpenMark m =
                bare::open_mark(*so_far, std::atoi(PQgetvalue(row, 0, indate)),
                                PQgetvalue(row, 0, in), std::atof(PQgetvalue(row, 0, breaktime)),
                                std::atof(PQgetvalue(row, 0, breakreduction)), kept);
            sqlite3_bind_double(copy, reghours + 1, m.hours);
            if (m.too_long && reason >= 0 && PQgetlength(row, 0, reason) == 0)
                sqlite3_bind_text(copy, reason + 1, bare::kForgotten, -1, SQLITE_STATIC);
        }
        sqlite3_step(copy);
    });
    PQclear(all);
    sqlite3_finalize(copy);
    sqlite3_exec(work, "commit", nullptr, nullptr, nullptr);
    sqlite3_close_v2(work);
}

} // namespace bench::pgbare
