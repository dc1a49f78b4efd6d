#include "messages.h"

#include "db.h"
#include "settings.h"
#include "station.h"

namespace pw {

namespace {

// The codes people meet most often, shown under every numbered-code box.
const char* const kCodeLines[] = {
    "    13 = An alpha character exists for a numeric field",
    "    53 = A database is missing. Call Quorwyn.",
    "3018 = Data field is missing. Call Quorwyn.",
    "3021 = There is no data available",
    "3022 = Duplicate: the number for this record already exists",
    "3024 = Data file or table is missing. Run UPDATE",
    "3043 = Exit Parvela, restart and try again.",
    "3049 = Corrupt database - use the Database Repair Tool",
    "3186-3188 = Another user is using this database. Try again later.",
    "3000 or 8194 = A database is locked by another user. Try again later.",
    "3420 = Close and restart the module to try again.",
    "20500-20900 = Crystal Report errors. Try restarting the computer. ",
};

} // namespace

bool askyesno(Station& st, const QString& text, const QString& title) {
    return st.dialogs().ask_yes_no(text, title);
}

void reporterror(Station& st, int code, const QString& description) {
    if (code == 0)
        return;
    const QString first = QStringLiteral("Code ") + QString::number(code) + QStringLiteral(" - ") +
                          description + QStringLiteral("\n\n");
    QString text = first + QStringLiteral("FYI - other possible codes and their explanations\n");
    for (const char* line : kCodeLines)
        text += QString::fromLatin1(line) + u'\n';
    text += QStringLiteral("Other codes - call Quorwyn");
    st.dialogs().message(text, QStringLiteral("Parvela Codes"), Icon::Information);
    adminlog(st, first);
}

void reporterror(Station& st, const DbError& e) {
    note_unreached(st, e);
    reporterror(st, e.code(), e.description());
}

void note_unreached(Station& st, const DbError& error) {
    if (error.code() == 75)
        st.run.unreached_at = st.clock().now();
}

void adminlog(Station& st, const QString& text) {
    const QDateTime now = st.clock().now();
    const QString line = now.toString(QStringLiteral("MM-dd-yyyy")) + u'-' +
                         now.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("---") + text +
                         QStringLiteral("\r\n");
    // A log that cannot be written has nobody left to tell: the box has been shown already.
    st.files().append(st.local(QStringLiteral("admlog.ini")), line.toUtf8());
}

void close_open_question(Station& st) {
    if (st.dialogs().question_open())
        st.dialogs().close_question();
    st.run.receipt_asked = QDateTime();
}

void expire_open_question(Station& st) {
    constexpr qint64 kWaitSecs = 15;
    if (st.run.receipt_asked.isValid() &&
        st.run.receipt_asked.secsTo(st.clock().now()) >= kWaitSecs)
        close_open_question(st);
}

bool suite_reachable(Station& st) {
    checksuite(st);
    if (st.settings.suitemissing != 1)
        return true;
    st.dialogs().message(QStringLiteral("Punchwell cannot connect to Parvela.\r\n"
                                        "You cannot punch in or out unless this\nproblem is "
                                        "corrected."),
                         QStringLiteral("Punchwell - Connection Problem"), Icon::Information);
    return false;
}

void pausesecond(Station& st) {
    st.clock().pause(1000);
}

} // namespace pw
