#pragma once
// Punching while the shared databases cannot be reached.
//
// The station keeps, in its own folder, one SQLite file (offline.db) with a copy of what
// identification needs: the active employees with a salted hash of their password (never
// the password), their jobs with rates and break rules, the pay rules, the holidays and each
// employee's open punch. A refresh replaces the copy in one transaction, so a reader sees the
// old copy or the new one. The same file holds the journal of punches made while the club
// could not be reached, each committed before the person is told.
//
// When the club is back the journal is sent on in order. Each punch goes through the normal
// rules in one transaction of the punch database together with a mark (punchsent: this
// station's id and the punch's number), and only then is it marked sent here; a punch whose
// mark is already there is only marked. So whatever stops the station in between, a punch is
// sent once. A punch that can no longer apply is written for the manager (status 3) with the
// reason, never dropped.

#include "punch/employee.h"

#include <QDateTime>
#include <QString>

namespace pw {

class Station;

// The file of the copy and the journal, in the station folder.
QString offline_file(const Station& st);

// Replaces the copy from the shared databases. Throws DbError (the copy is then unchanged).
void refresh_local_copy(Station& st);

// As read_employee, from the copy: nothing found when there is no copy.
EmployeeReads read_local_employee(Station& st, double number, const QString& typed_password);

// A punch made on this station alone.
struct OfflinePunch {
    qint64 seq = 0; // its number in the journal
    double employee = 0;
    int job_code = 0;
    QString job_description;
    double pay_rate = 0;
    QDateTime at; // the clock's moment, with its UTC offset
    bool in = true;
};
// Journals the punch (and updates the copy's open punch of the employee), committed when it
// returns. Throws DbError.
void journal_punch(Station& st, const OfflinePunch& punch);
// Punches journalled and not yet sent on; 0 when there is no journal.
int punches_waiting(Station& st);

// Sends the waiting punches on in order. Stops at the first failure, throwing its DbError,
// with the punches before it sent and the rest waiting.
struct Forwarded {
    int sent = 0;      // applied under the rules
    int to_review = 0; // of those, written for the manager because they no longer applied
};
Forwarded forward_journal(Station& st);

// The reason a punch that can no longer apply carries.
QString offline_review_reason(const OfflinePunch& punch, int node);

} // namespace pw
