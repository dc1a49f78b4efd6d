#include "session.h"

#include <cmath>

namespace pw {

namespace {

qint64 key(double number) {
    return std::llround(number);
}

} // namespace

void Session::choose(qsizetype index) {
    if (open)
        return; // the open punch's job stays the one punched out
    const JobLine chosen = index >= 0 && index < jobs.size() ? jobs[index] : JobLine{};
    job_code = chosen.jobcode;
    pay_rate = chosen.payrate;
    job_description = chosen.description;
    breaktime = chosen.breaktime;
    breakreduction = chosen.breakreduction;
}

bool PasswordGuard::locked(double number, const QDateTime& now) const {
    const auto found = records_.constFind(key(number));
    return found != records_.constEnd() && found->locked_until.isValid() &&
           now < found->locked_until;
}

bool PasswordGuard::failed(double number, const QDateTime& now) {
    Record& r = records_[key(number)];
    const QDateTime since = now.addSecs(-kWindowSecs);
    r.failures.removeIf([&](const QDateTime& t) { return t <= since || t > now; });
    r.failures.append(now);
    if (r.failures.size() < kTries)
        return false;
    r.failures.clear();
    r.locked_until = now.addSecs(kLockSecs);
    return true;
}

void PasswordGuard::passed(double number) {
    records_.remove(key(number));
}

} // namespace pw
