#pragma once
// The punch table, defined once: its columns' names, order, SQL types and defaults, and its
// status codes. punch, history and the report databases' copy share it. Column positions,
// the table's DDL, every insert of punch rows and the transfer file's field list come from
// here.
//
// Rules: the order is fixed, as the suite's files and the export file keep it; a row read
// with punch_select_list() holds column pos at index col::pos. Needs nothing but QtCore.

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <string_view>

namespace pw {

// tckstatus. Every query relies on these values and on their order.
enum PunchStatus { kOpen = 1, kClosed = 2, kBad = 3, kApproved = 4, kExported = 5 };

// How a column stores its values, from its declared type.
enum class FieldType { Integer, Real, Text };

struct PunchColumn {
    std::string_view name;
    FieldType type;
    // The declared default: "0" for numbers, none for texts, NULL for tckexport.
    std::string_view default_value;
    // Decimals a real column keeps: hours two, the pay rate (a currency) four.
    int decimals = 2;
};

inline constexpr std::array<PunchColumn, 29> kPunchColumns{{
    {"tckindate", FieldType::Integer, "0"},      {"tckempid", FieldType::Integer, "0"},
    {"tckjobcode", FieldType::Integer, "0"},     {"tckjobdescription", FieldType::Text, {}},
    {"tckpayrate", FieldType::Real, "0", 4},     {"tckbreaktime", FieldType::Real, "0"},
    {"tckbreakreduction", FieldType::Real, "0"}, {"tcktimein", FieldType::Text, {}},
    {"tckoutdate", FieldType::Integer, "0"},     {"tcktimeout", FieldType::Text, {}},
    {"tckreghours", FieldType::Real, "0"},       {"tckothours", FieldType::Real, "0"},
    {"tckholidayothrs", FieldType::Real, "0"},   {"tckvachours", FieldType::Real, "0"},
    {"tcksickhours", FieldType::Real, "0"},      {"tckholidayhours", FieldType::Real, "0"},
    {"tcktips", FieldType::Real, "0"},           {"tckadjreason", FieldType::Text, {}},
    {"tckexport", FieldType::Integer, "null"},   {"tcknode", FieldType::Integer, "0"},
    {"tckdept", FieldType::Integer, "0"},        {"tckpayperiod", FieldType::Integer, "0"},
    {"tckadjtimein", FieldType::Text, {}},       {"tckadjtimeout", FieldType::Text, {}},
    {"tckadjreghours", FieldType::Real, "0"},    {"tckposted", FieldType::Integer, "0"},
    {"tckpostdate", FieldType::Integer, "0"},    {"tckcomment", FieldType::Text, {}},
    {"tckstatus", FieldType::Integer, "0"},
}};

// A column's position; a name the table lacks does not compile where a constant is needed.
constexpr int punch_position(std::string_view name) {
    for (std::size_t i = 0; i < kPunchColumns.size(); ++i)
        if (kPunchColumns[i].name == name)
            return int(i);
    throw "not a punch column";
}

// Column positions of punch (and history and the report copy).
namespace col {
inline constexpr int tckindate = punch_position("tckindate");
inline constexpr int tckempid = punch_position("tckempid");
inline constexpr int tckjobcode = punch_position("tckjobcode");
inline constexpr int tckjobdescription = punch_position("tckjobdescription");
inline constexpr int tckpayrate = punch_position("tckpayrate");
inline constexpr int tckbreaktime = punch_position("tckbreaktime");
inline constexpr int tckbreakreduction = punch_position("tckbreakreduction");
inline constexpr int tcktimein = punch_position("tcktimein");
inline constexpr int tckoutdate = punch_position("tckoutdate");
inline constexpr int tcktimeout = punch_position("tcktimeout");
inline constexpr int tckreghours = punch_position("tckreghours");
inline constexpr int tckothours = punch_position("tckothours");
inline constexpr int tckholidayothrs = punch_position("tckholidayothrs");
inline constexpr int tckvachours = punch_position("tckvachours");
inline constexpr int tcksickhours = punch_position("tcksickhours");
inline constexpr int tckholidayhours = punch_position("tckholidayhours");
inline constexpr int tcktips = punch_position("tcktips");
inline constexpr int tckadjreason = punch_position("tckadjreason");
inline constexpr int tckexport = punch_position("tckexport");
inline constexpr int tcknode = punch_position("tcknode");
inline constexpr int tckdept = punch_position("tckdept");
inline constexpr int tckpayperiod = punch_position("tckpayperiod");
inline constexpr int tckadjtimein = punch_position("tckadjtimein");
inline constexpr int tckadjtimeout = punch_position("tckadjtimeout");
inline constexpr int tckadjreghours = punch_position("tckadjreghours");
inline constexpr int tckposted = punch_position("tckposted");
inline constexpr int tckpostdate = punch_position("tckpostdate");
inline constexpr int tckcomment = punch_position("tckcomment");
inline constexpr int tckstatus = punch_position("tckstatus");
inline constexpr int count = int(kPunchColumns.size());
} // namespace col

// The names and the types in table order.
const QStringList& punch_column_names();
const QList<FieldType>& punch_column_types();

// "create table <table> (tckindate integer default 0, ...)".
QString punch_table_sql(const QString& table);
// The columns in table order, for a select list.
QString punch_select_list();
// The insert of one row into table: the named columns and as many '?'. With replace, a row
// of the same key is replaced.
QString insert_sql(const QString& table, const QStringList& columns, bool replace = false);
// The insert of a punch row's first width values by position, width at most col::count.
QString punch_insert_sql(const QString& table, qsizetype width = col::count);

} // namespace pw
