#include "checks.h"

#include <QHash>
#include <algorithm>

namespace stress {

namespace {

// One punch as both sides can name it: employee, job, the time the screen showed, the day.
struct Key {
    int emp;
    int job;
    QString time;
    int date;
    bool operator==(const Key&) const = default;
};

size_t qHash(const Key& k, size_t seed = 0) {
    return qHashMulti(seed, k.emp, k.job, k.time, k.date);
}

struct PerEmployee {
    int ins = 0;
    int outs = 0;
    int closed = 0;
    int open = 0;
    int outs_missing = 0;
};

// Counts per key: what the children saw against what the table holds. The logged day is
// the one before the click unless only the day after it matches a row.
void tally(const QList<LoggedPunch>& seen, const QHash<Key, int>& held, bool in, int& missing,
           int& extra, QHash<int, PerEmployee>* per) {
    QHash<Key, int> logged;
    for (const LoggedPunch& p : seen) {
        if (p.in != in)
            continue;
        Key k{p.emp, p.job, p.time, p.date_before};
        if (!held.contains(k) && held.contains(Key{p.emp, p.job, p.time, p.date_after}))
            k.date = p.date_after;
        ++logged[k];
    }
    QSet<Key> keys;
    for (auto it = logged.cbegin(); it != logged.cend(); ++it)
        keys.insert(it.key());
    for (auto it = held.cbegin(); it != held.cend(); ++it)
        keys.insert(it.key());
    for (const Key& k : keys) {
        const int l = logged.value(k);
        const int r = held.value(k);
        missing += std::max(0, l - r);
        extra += std::max(0, r - l);
        if (per && l > r)
            (*per)[k.emp].outs_missing += l - r;
    }
}

} // namespace

Verdict judge(const QList<PunchRow>& rows, const QList<ChildLog>& logs,
              const QSet<qint64>& extra_open) {
    Verdict v;
    QList<LoggedPunch> seen;
    for (const ChildLog& log : logs) {
        seen += log.punches;
        v.busy += log.busy;
    }
    v.punches = int(seen.size());

    // A punch written for the manager stands for the confirmed punch of its moment; neither
    // opens nor closes a shift.
    for (const PunchRow& r : rows) {
        if (!r.review)
            continue;
        const bool in = !r.adjtimein.isEmpty();
        const Key k{r.emp, r.job, in ? r.adjtimein : r.adjtimeout, in ? r.indate : r.outdate};
        const auto it = std::find_if(seen.begin(), seen.end(), [&](const LoggedPunch& p) {
            return p.in == in && Key{p.emp, p.job, p.time, p.date_before} == k;
        });
        if (it != seen.end()) {
            seen.erase(it);
            ++v.reviewed;
        } else {
            ++v.duplicated;
        }
    }

    QHash<int, PerEmployee> per;
    QHash<Key, int> ins_held;
    QHash<Key, int> outs_held;
    for (const PunchRow& r : rows) {
        if (r.review)
            continue;
        ++ins_held[Key{r.emp, r.job, r.adjtimein, r.indate}];
        if (r.status == 1) {
            ++per[r.emp].open;
        } else {
            ++per[r.emp].closed;
            ++outs_held[Key{r.emp, r.job, r.adjtimeout, r.outdate}];
        }
    }
    for (const LoggedPunch& p : seen)
        ++(p.in ? per[p.emp].ins : per[p.emp].outs);

    tally(seen, ins_held, true, v.lost, v.duplicated, nullptr);
    int outs_missing = 0;
    int closes_unseen = 0;
    tally(seen, outs_held, false, outs_missing, closes_unseen, &per);
    v.duplicated += int(extra_open.size());

    for (const PerEmployee& e : std::as_const(per)) {
        // More "punched out" than closed rows: one row was closed for two people.
        const int twice = std::max(0, e.outs - e.closed);
        v.double_closed += twice;
        v.lost += std::max(0, e.outs_missing - twice);
        v.open_left += std::max(0, e.open - std::max(0, e.ins - e.outs));
    }
    return v;
}

} // namespace stress
