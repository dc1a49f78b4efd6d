#include "punchtable.h"

namespace pw {

namespace {

QString name_of(const PunchColumn& c) {
    return QString::fromLatin1(c.name.data(), qsizetype(c.name.size()));
}

QString sql_type(FieldType type) {
    switch (type) {
    case FieldType::Integer:
        return QStringLiteral("integer");
    case FieldType::Real:
        return QStringLiteral("real");
    case FieldType::Text:
        break;
    }
    return QStringLiteral("text");
}

} // namespace

const QStringList& punch_column_names() {
    static const QStringList names = [] {
        QStringList n;
        for (const PunchColumn& c : kPunchColumns)
            n << name_of(c);
        return n;
    }();
    return names;
}

const QList<FieldType>& punch_column_types() {
    static const QList<FieldType> types = [] {
        QList<FieldType> t;
        for (const PunchColumn& c : kPunchColumns)
            t << c.type;
        return t;
    }();
    return types;
}

QString punch_table_sql(const QString& table) {
    QStringList cols;
    for (const PunchColumn& c : kPunchColumns) {
        QString col = name_of(c) + u' ' + sql_type(c.type);
        if (!c.default_value.empty())
            col += QStringLiteral(" default ") +
                   QString::fromLatin1(c.default_value.data(), qsizetype(c.default_value.size()));
        cols << col;
    }
    return QStringLiteral("create table ") + table + QStringLiteral(" (") +
           cols.join(QStringLiteral(", ")) + u')';
}

QString punch_select_list() {
    static const QString list = punch_column_names().join(QStringLiteral(", "));
    return list;
}

QString insert_sql(const QString& table, const QStringList& columns, bool replace) {
    return (replace ? QStringLiteral("insert or replace into ") : QStringLiteral("insert into ")) +
           table + QStringLiteral(" (") + columns.join(QStringLiteral(", ")) +
           QStringLiteral(") values (") +
           QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", ")) + u')';
}

QString punch_insert_sql(const QString& table, qsizetype width) {
    return insert_sql(table, punch_column_names().mid(0, width));
}

} // namespace pw
