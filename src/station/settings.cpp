#include "settings.h"

#include "db.h"
#include "fields.h"
#include "messages.h"
#include "station.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cmath>

namespace pw {

namespace {

constexpr int kMaxHolidays = 366;

// A number stored in a 16- or 32-bit field: rounded, halves to even as BASIC assigns, and
// held to the field's range so that a wild value cannot overflow it.
int to_width(double v, int lo, int hi) {
    return static_cast<int>(std::nearbyint(std::clamp(v, double(lo), double(hi))));
}
int to_int16(double v) {
    return to_width(v, -32768, 32767);
}

// Compares only ASCII letters without case: keys are ASCII, and upper-casing the whole field
// could change its length (a German sharp s becomes SS).
bool starts_with_key(const QString& field, QLatin1String key) {
    if (field.size() < key.size())
        return false;
    for (qsizetype i = 0; i < key.size(); ++i) {
        const char16_t c = field[i].unicode();
        const char16_t up = c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
        if (up != char16_t(key[i].unicode()))
            return false;
    }
    return true;
}

// The last two characters of pad followed by the number's decimal text.
QString two_digits(int n) {
    return (QStringLiteral("00") + QString::number(n)).right(2);
}

// One value of the pr row: null stays null, a number (or text holding one) is read as a
// number. Columns the table lacks read as null.
struct PrValue {
    bool null = true;
    double number = 0;
    QString text;
};

PrValue pr_value(const QSqlQuery& q, const QString& column) {
    PrValue v;
    const int i = q.record().indexOf(column);
    if (i < 0 || q.isNull(i))
        return v;
    const QVariant value = q.value(i);
    v.null = false;
    v.text = value.toString();
    v.number = value.typeId() == QMetaType::QString ? val(v.text) : value.toDouble();
    return v;
}

// Replaces value by its checked form, noting "name value" when that changed it.
void note_range(QStringList& notes, const QString& name, int& value, int (*checked)(int)) {
    const int ok = checked(value);
    if (ok != value)
        notes << name + u' ' + QString::number(value);
    value = ok;
}

// Reads the first row of pr into s. Throws DbError; s is changed only when all was read.
void read_pr(Station& st, Settings& s) {
    Settings next = s;
    QStringList notes;
    {
        Db db(st.path(s.configdb), DbMode::ReadOnly, st.db_access());
        QSqlQuery q = db.run(QStringLiteral("select * from pr"));
        if (!fetch(q))
            throw DbError(3021, QStringLiteral("No current record."));
        if (PrValue v = pr_value(q, QStringLiteral("nextprdate")); !v.null)
            next.nextprdate = to_width(v.number, INT32_MIN, INT32_MAX);
        const PrValue shift = pr_value(q, QStringLiteral("shiftlimit"));
        next.shiftlimit = shift.null ? 0 : to_int16(shift.number);
        const PrValue in = pr_value(q, QStringLiteral("inrounding"));
        next.inrounding = in.null ? 0 : to_int16(in.number);
        const PrValue out = pr_value(q, QStringLiteral("outrounding"));
        next.outrounding = out.null ? 0 : to_int16(out.number);
        // Checked here, where the rules first meet them: the window then shows what the
        // clock uses.
        note_range(notes, QStringLiteral("inrounding"), next.inrounding, checked_rounding);
        note_range(notes, QStringLiteral("outrounding"), next.outrounding, checked_rounding);
        const PrValue plevel = pr_value(q, QStringLiteral("plevel1"));
        next.managerpassword = plevel.null ? QStringLiteral("zvt") : plevel.text;
        for (int n = 1; n <= 6; ++n)
            next.reasons[n] = pr_value(q, QStringLiteral("reason%1").arg(n)).text;
        const PrValue week = pr_value(q, QStringLiteral("wwstartday"));
        next.wwstartday = week.null ? 1 : to_int16(week.number);
        note_range(notes, QStringLiteral("wwstartday"), next.wwstartday, checked_wwstartday);
    }
    const QString note = notes.join(QStringLiteral(", "));
    if (!note.isEmpty() && note != next.range_note)
        adminlog(st, QStringLiteral("pr out of range, treated as 0: ") + note);
    next.range_note = note;
    s = next;
}

// Creates tclock.ini when missing, then reads its three numbers. Every failure here leaves
// the fields as they were: the station runs fine on its defaults.
void read_tclock_ini(Station& st, Settings& s) {
    const QString path = st.path(s.tclockini);
    auto write_current = [&] {
        st.files().write(path, tclock_ini_line(s.receiptprinter, s.printertype, s.remotemode));
    };
    if (!st.files().exists(path)) {
        // A new station on a workstation without printers has no receipt printer.
        if (st.printers().names().isEmpty())
            s.receiptprinter = -1;
        write_current();
    }

    const std::optional<QByteArray> bytes = st.files().read(path);
    if (!bytes)
        return;
    const QStringList values = read_fields(QString::fromUtf8(*bytes), 3);
    int* const targets[] = {&s.receiptprinter, &s.printertype, &s.remotemode};
    for (qsizetype n = 0; n < values.size(); ++n) {
        const double v = val(values[n]);
        if (starts_with_number(values[n]) && v >= -32768 && v <= 32767)
            *targets[n] = to_int16(v);
    }
    // An older station's file holds no remote flag: this station is then not remote.
    if (values.size() < 3) {
        s.remotemode = 0;
        write_current();
    }
}

} // namespace

int checked_rounding(int unit) {
    return unit > 60 ? 0 : unit;
}

int checked_wwstartday(int day) {
    return day < 0 || day > 7 ? 0 : day;
}

std::optional<QStringList> holiday_keys(Station& st) {
    const QString path = st.shared(QStringLiteral("holiday.dat"));
    if (!st.files().exists(path))
        return std::nullopt;
    const std::optional<QByteArray> bytes = st.files().read(path);
    if (!bytes)
        return std::nullopt;
    return read_fields(QString::fromUtf8(*bytes), kMaxHolidays);
}

bool holiday_on(Station& st, int date) {
    const std::optional<QStringList> keys = holiday_keys(st);
    if (!keys)
        return false;
    const QString key = QStringLiteral("%1").arg(date % 10000, 4, 10, QLatin1Char('0'));
    return keys->contains(key);
}

QString default_reason(int n) {
    static const char* const texts[] = {"",
                                        "Forgot to punch in",
                                        "New punch created",
                                        "Reallocate Hours",
                                        "Forgot to punch out",
                                        "Over shift limit",
                                        "Added hours"};
    return n >= 1 && n <= 6 ? QString::fromLatin1(texts[n]) : QString();
}

bool initnode(Station& st) {
    const QString path = st.local(QStringLiteral("parvnode.ini"));
    const std::optional<QByteArray> bytes =
        st.files().exists(path) ? st.files().read(path) : std::nullopt;
    if (!bytes) {
        st.dialogs().message(QStringLiteral("This node has not been initialized."),
                             QStringLiteral("Invalid Installation"), Icon::Information);
        return false;
    }

    Settings& s = st.settings;
    FieldReader reader(QString::fromUtf8(*bytes));
    while (const std::optional<QString> field = reader.next()) {
        auto value_of = [&](QLatin1String key) -> std::optional<QString> {
            if (!starts_with_key(*field, key))
                return std::nullopt;
            return field->mid(key.size());
        };
        if (auto v = value_of(QLatin1String("POSUNIT=")))
            s.posunit = to_int16(val(*v));
        if (auto v = value_of(QLatin1String("NODENUMBER=")))
            s.nodenumber = to_int16(val(*v));
        if (auto v = value_of(QLatin1String("MAPDRIVE=")))
            s.mapdrive = *v;
        if (auto v = value_of(QLatin1String("LOCALDRIVE=")))
            s.localdrive = *v;
        if (auto v = value_of(QLatin1String("DATABASE=")))
            s.database = v->trimmed();
        // COMPUTERNAME= is the workstation's name; the station has no use for it.
    }

    const QString node = s.nodenumber < 10
                             ? (QStringLiteral("0000") + QString::number(s.nodenumber)).right(2)
                             : QString::number(s.nodenumber);
    s.reportdb = QStringLiteral("RPT") + node + QStringLiteral(".MDB");
    s.posholddb =
        (QStringLiteral("hbposx") + two_digits(s.posunit) + QStringLiteral(".mdb")).toUpper();
    // Only the file name is upper-cased: folder names on Linux keep their case.
    s.postempdb = s.mapdrive + QStringLiteral("HBPOSTMP.MDB");
    return true;
}

void checksuite(Station& st) {
    bool found = false;
    try {
        found = st.files().exists(st.shared(QStringLiteral("parv.exe")));
    } catch (...) {
        // Whatever went wrong, the suite cannot be reached.
    }
    st.settings.suitemissing = found ? 0 : 1;
}

void loadsettings(Station& st) {
    Settings& s = st.settings;
    s.configdb = s.mapdrive + QStringLiteral("CONFIG.MDB");
    try {
        read_pr(st, s);
        s.payrules_loaded = true;
        s.payrules_error = 0;
    } catch (const DbError& e) {
        // Locked for a moment, or the server down: punching waits rather than paying on
        // rules that are not the club's. Logged once per spell, not at every retry.
        if (s.payrules_loaded || s.payrules_error != e.code())
            adminlog(st, QStringLiteral("Pay rules could not be read: Code ") +
                             QString::number(e.code()) + QStringLiteral(" - ") + e.description());
        s.payrules_loaded = false;
        s.payrules_error = e.code();
    }
    for (int n = 1; n <= 6; ++n)
        if (s.reasons[n].isEmpty())
            s.reasons[n] = default_reason(n);

    s.tclockini = s.localdrive + QStringLiteral("tclock.ini");
    read_tclock_ini(st, s);

    s.empdb = s.mapdrive + QStringLiteral("EMP.MDB");
    s.punchdb = s.mapdrive + QStringLiteral("PUNCHCLK.MDB");
}

QString payrules_waiting_text(const Settings& s) {
    return QStringLiteral("Pay rules could not be read (Code %1). Punching waits until they can.")
        .arg(s.payrules_error);
}

bool manager_password_right(const Settings& s, const QString& typed) {
    // Letter case does not matter; blanks do.
    return s.payrules_loaded && !s.managerpassword.isEmpty() &&
           typed.toUpper() == s.managerpassword.toUpper();
}

QByteArray tclock_ini_line(int receiptprinter, int printertype, int remotemode) {
    return (list_number(receiptprinter) + u',' + list_number(printertype) + u',' +
            list_number(remotemode) + QStringLiteral("\r\n"))
        .toLatin1();
}

} // namespace pw
