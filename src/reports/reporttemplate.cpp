#include "reporttemplate.h"

#include "punch/punchrecord.h"
#include "station/db.h"
#include "station/station.h"
#include "workdb.h"

#include <QSqlField>
#include <QSqlQuery>
#include <kainjow/mustache.hpp>
#include <map>

namespace pw {

namespace {

namespace mus = kainjow::mustache;

const char* const kHeadingFields[] = {"ctlcompname", "ctlselect", "ctlauxtitle", "ctlseq",
                                      "ctllinetop"};

QString text_of(const QVariant& v) {
    if (v.isNull() || !v.isValid())
        return {};
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

QString hours(double v) {
    return QString::number(v, 'f', 2);
}

QString count_text(qsizetype n, const QString& one, const QString& many) {
    return QString::number(n) + u' ' + (n == 1 ? one : many);
}

QString short_time(const QVariant& v) {
    return text_of(v).left(5);
}

QString status_text(int status) {
    switch (status) {
    case kOpen:
        return QStringLiteral("Open");
    case kClosed:
        return QStringLiteral("Closed");
    case kBad:
        return QStringLiteral("Bad");
    case kApproved:
        return QStringLiteral("Approved");
    case kExported:
        return QStringLiteral("Exported");
    default:
        return QString::number(status);
    }
}

double num(const QSqlRecord& r, const char* name) {
    return r.value(QLatin1String(name)).toDouble();
}

double holiday_hours(const QSqlRecord& r) {
    return num(r, "tckholidayhours") + num(r, "tckholidayothrs");
}

// What the row itself pays: an overtime row holds only overtime, a holiday shift only holiday
// hours, so the adjusted hours alone read 0 for both.
double own_hours(const QSqlRecord& r) {
    return num(r, "tckadjreghours") + num(r, "tckothours") + holiday_hours(r);
}

QVariantMap row_model(const QSqlRecord& r, const QMap<double, QString>& names) {
    QVariantMap m;
    for (int i = 0; i < r.count(); ++i)
        m.insert(r.fieldName(i), text_of(r.value(i)));
    const int status = r.value(QStringLiteral("tckstatus")).toInt();
    const QString reason = text_of(r.value(QStringLiteral("tckadjreason")));
    m.insert(QStringLiteral("name"), names.value(num(r, "tckempid")));
    m.insert(QStringLiteral("indate"), display_date(num(r, "tckindate")));
    m.insert(QStringLiteral("outdate"), display_date(num(r, "tckoutdate")));
    m.insert(QStringLiteral("timein"), short_time(r.value(QStringLiteral("tcktimein"))));
    m.insert(QStringLiteral("timeout"), short_time(r.value(QStringLiteral("tcktimeout"))));
    m.insert(QStringLiteral("adjtimein"), short_time(r.value(QStringLiteral("tckadjtimein"))));
    m.insert(QStringLiteral("adjtimeout"), short_time(r.value(QStringLiteral("tckadjtimeout"))));
    m.insert(QStringLiteral("reghours"), hours(num(r, "tckreghours")));
    m.insert(QStringLiteral("adjreghours"), hours(num(r, "tckadjreghours")));
    m.insert(QStringLiteral("othours"), hours(num(r, "tckothours")));
    m.insert(QStringLiteral("holidayhours"), hours(holiday_hours(r)));
    m.insert(QStringLiteral("hours"), hours(own_hours(r)));
    m.insert(QStringLiteral("payrate"), hours(num(r, "tckpayrate")));
    m.insert(QStringLiteral("reason"), reason);
    m.insert(QStringLiteral("has_reason"), !reason.trimmed().isEmpty());
    m.insert(QStringLiteral("status"), status_text(status));
    m.insert(QStringLiteral("is_open"), status == kOpen);
    m.insert(QStringLiteral("is_closed"), status == kClosed);
    m.insert(QStringLiteral("is_bad"), status == kBad);
    m.insert(QStringLiteral("is_approved"), status == kApproved);
    m.insert(QStringLiteral("is_exported"), status == kExported);
    m.insert(QStringLiteral("hours_adjusted"),
             hours(num(r, "tckreghours")) != hours(num(r, "tckadjreghours")));
    return m;
}

// Rows and hour totals of a whole report or of one group.
struct Totals {
    QVariantList rows;
    double reg = 0;
    double adj = 0;
    double ot = 0;
    double holiday = 0;
    double own = 0;

    void add(const QSqlRecord& r, const QVariantMap& row) {
        rows << row;
        reg += num(r, "tckreghours");
        adj += num(r, "tckadjreghours");
        ot += num(r, "tckothours");
        holiday += holiday_hours(r);
        own += own_hours(r);
    }
    void put(QVariantMap& m) const {
        m.insert(QStringLiteral("rows"), rows);
        m.insert(QStringLiteral("row_count"), QString::number(rows.size()));
        m.insert(QStringLiteral("punch_count"),
                 count_text(rows.size(), QStringLiteral("punch"), QStringLiteral("punches")));
        m.insert(QStringLiteral("total_reghours"), hours(reg));
        m.insert(QStringLiteral("total_adjreghours"), hours(adj));
        m.insert(QStringLiteral("total_othours"), hours(ot));
        m.insert(QStringLiteral("total_holidayhours"), hours(holiday));
        m.insert(QStringLiteral("total_hours"), hours(own));
    }
};

struct Group {
    QVariantMap fields;
    Totals totals;
};

QVariantList group_list(const std::map<double, Group>& groups) {
    QVariantList out;
    for (const auto& [key, group] : groups) {
        QVariantMap m = group.fields;
        group.totals.put(m);
        out << m;
    }
    return out;
}

mus::data to_data(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Bool:
        return mus::data(v.toBool());
    case QMetaType::QVariantMap: {
        mus::data obj(mus::data::type::object);
        const QVariantMap m = v.toMap();
        for (auto it = m.begin(); it != m.end(); ++it)
            obj.set(it.key().toStdString(), to_data(it.value()));
        return obj;
    }
    case QMetaType::QVariantList: {
        mus::data list(mus::data::type::list);
        for (const QVariant& item : v.toList())
            list.push_back(to_data(item));
        return list;
    }
    default:
        return mus::data(v.toString().toStdString());
    }
}

} // namespace

TemplateError::TemplateError(int code, const QString& description)
    : std::runtime_error(description.toStdString())
    , code_(code)
    , description_(description) {}

QString display_date(double yyyymmdd) {
    if (yyyymmdd < 100)
        return {};
    const QString d = QString::number(qint64(yyyymmdd)).rightJustified(8, u'0');
    return d.mid(4, 2) + u'/' + d.mid(6, 2) + u'/' + d.left(4);
}

QVariantMap report_model(const QSqlRecord& headings, const std::vector<QSqlRecord>& rows,
                         const QMap<double, QString>& names, const QDate& today) {
    QVariantMap model;
    for (const char* field : kHeadingFields) {
        const QString value = text_of(headings.value(QLatin1String(field)));
        model.insert(QLatin1String(field), value);
        model.insert(QLatin1String("has_") + QLatin1String(field), !value.trimmed().isEmpty());
    }
    model.insert(QStringLiteral("printed_date"), today.toString(QStringLiteral("MM/dd/yyyy")));

    Totals all;
    std::map<double, Group> employees;
    std::map<double, Group> jobs;
    for (const QSqlRecord& r : rows) {
        const QVariantMap row = row_model(r, names);
        all.add(r, row);
        Group& e = employees[num(r, "tckempid")];
        if (e.fields.isEmpty()) {
            e.fields.insert(QStringLiteral("tckempid"), row.value(QStringLiteral("tckempid")));
            e.fields.insert(QStringLiteral("name"), row.value(QStringLiteral("name")));
        }
        e.totals.add(r, row);
        Group& j = jobs[num(r, "tckjobcode")];
        if (j.fields.isEmpty()) {
            j.fields.insert(QStringLiteral("tckjobcode"), row.value(QStringLiteral("tckjobcode")));
            j.fields.insert(QStringLiteral("tckjobdescription"),
                            row.value(QStringLiteral("tckjobdescription")));
        }
        j.totals.add(r, row);
    }
    all.put(model);
    model.insert(QStringLiteral("has_rows"), !rows.empty());
    model.insert(QStringLiteral("no_rows"), rows.empty());
    model.insert(QStringLiteral("employees"), group_list(employees));
    model.insert(QStringLiteral("jobs"), group_list(jobs));
    return model;
}

QVariantMap read_report_model(Station& st) {
    QSqlRecord headings;
    std::vector<QSqlRecord> rows;
    {
        Db db(work_db_path(st), DbMode::ReadOnly, st.db_access());
        {
            QSqlQuery q = db.run(QStringLiteral("select * from headings limit 1"));
            headings = fetch(q) ? q.record() : QSqlRecord();
        }
        QSqlQuery q = db.run(QStringLiteral("select * from punch order by rowid"));
        while (fetch(q))
            rows.push_back(q.record());
    }
    // Every employee, former ones too: old punches keep their names on paper.
    QMap<double, QString> names;
    if (!rows.empty()) {
        Db db(st.path(st.settings.empdb), DbMode::ReadOnly, st.db_access());
        QSqlQuery q = db.run(QStringLiteral("select empid, empfname, emplname from empinfo"));
        while (fetch(q))
            names.insert(q.value(0).toDouble(),
                         (q.value(1).toString().trimmed() + u' ' + q.value(2).toString().trimmed())
                             .trimmed());
    }
    return report_model(headings, rows, names, st.clock().now().date());
}

QString render_report(const QString& template_text, const QVariantMap& model) {
    mus::mustache tmpl(template_text.toStdString());
    if (!tmpl.is_valid())
        throw TemplateError(kTemplateBroken, QString::fromStdString(tmpl.error_message()));
    const std::string out = tmpl.render(to_data(model));
    if (!tmpl.error_message().empty())
        throw TemplateError(kTemplateBroken, QString::fromStdString(tmpl.error_message()));
    return QString::fromStdString(out);
}

QString render_template_file(Station& st, const QString& template_path) {
    const std::optional<QByteArray> bytes = st.files().read(template_path);
    if (!bytes)
        throw TemplateError(kTemplateUnreadable,
                            QStringLiteral("Unable to load report ") + template_path);
    const QVariantMap model = read_report_model(st);
    try {
        return render_report(QString::fromUtf8(*bytes), model);
    } catch (const TemplateError& e) {
        throw TemplateError(e.code(), e.description() + QStringLiteral(" in ") + template_path);
    }
}

} // namespace pw
