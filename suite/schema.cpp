#include "schema.h"

#include "punch/punchrecord.h"
#include "punch/punchtable.h"
#include "station/db.h"

namespace suite {

namespace {

// Creates the database (a file, or a schema where access names a server) and runs the
// statements in one transaction. The station's database layer maps the types.
bool create(const QString& path, const pw::DbAccess& access, const QStringList& statements,
            QString* why) {
    try {
        pw::Db db(path, pw::DbMode::Create, access);
        pw::Transaction t(db);
        for (const QString& sql : statements)
            db.run(sql);
        t.commit();
    } catch (const pw::DbError& e) {
        if (why)
            *why = e.what();
        return false;
    }
    return true;
}

} // namespace

QStringList punch_statements() {
    const QStringList punch{
        pw::punch_table_sql("punch"),
        pw::punch_table_sql("history"),
        "create index punch_emp_status on punch (tckempid, tckstatus)",
        "create index punch_emp_indate on punch (tckempid, tckindate)",
        "create index punch_indate on punch (tckindate)",
        "create index punch_status on punch (tckstatus)",
    };
    return punch + pw::side_table_statements();
}

bool create_punch_db(const QString& path, const pw::DbAccess& access, QString* why) {
    return create(path, access, punch_statements(), why);
}

QStringList emp_statements() {
    return {
        "create table empinfo (empid integer default 0, empfname text, "
        "emplname text, empmainname text, empstatus text, "
        "pword integer default 0, operator integer default 0, "
        "accessnum integer default 0)",
        "create index empinfo_id on empinfo (empid)",
        "create table empjobs (empid integer default 0, "
        "jobcode integer default 0, payrate real default 0, "
        "glacctnum integer default 0)",
        "create index empjobs_emp on empjobs (empid)",
        "create table jobs (jobcode integer default 0, jobdescription text, "
        "glacctnum integer default 0, breaktime real default 0, "
        "breakreduction real default 0)",
        "create index jobs_code on jobs (jobcode)",
    };
}

bool create_emp_db(const QString& path, const pw::DbAccess& access, QString* why) {
    return create(path, access, emp_statements(), why);
}

QStringList config_statements() {
    return {
        "create table pr (nextprdate integer default 0, "
        "shiftlimit integer default 0, inrounding integer default 0, "
        "outrounding integer default 0, plevel1 text, reason1 text, "
        "reason2 text, reason3 text, reason4 text, reason5 text, "
        "reason6 text, wwstartday integer default 1, "
        "otmultiplier real default 1.5, holidaymultiplier real default 1.5)",
        "insert into pr (nextprdate, plevel1) values (0, 'zvt')",
    };
}

bool create_config_db(const QString& path, const pw::DbAccess& access, QString* why) {
    return create(path, access, config_statements(), why);
}

QStringList pos_statements() {
    return {"create table xact (ticket integer default 0, server integer default 0, "
            "ord integer default 0, status integer default 0)"};
}

bool create_pos_db(const QString& path, const pw::DbAccess& access, QString* why) {
    return create(path, access, pos_statements(), why);
}

QStringList report_statements() {
    return {
        pw::punch_table_sql("punch"),
        "create table headings (ctlcompname text, ctlselect text, "
        "ctlauxtitle text, ctlseq text, ctllinetop text)",
        "insert into headings (ctlcompname) values ('')",
    };
}

bool create_report_db(const QString& path, const pw::DbAccess& access, QString* why) {
    return create(path, access, report_statements(), why);
}

} // namespace suite
