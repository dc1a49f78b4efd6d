#pragma once
// Punch in: the Punch IN button. Writes one new open Punch record for the identified
// employee and the chosen job (the clock time as it was and as rounded, the job's break rule
// and the pay rate copied in), appends a line to the punch log, shows the result and offers
// a receipt.
//
// Rules: the values of the identified employee are taken once at the start, so nothing
// that runs meanwhile (a keypad press, the tick) changes the punch being written. The row is
// added in one write transaction only while the employee has no open punch (any job);
// otherwise nothing is written, the employee is told and the screen shows that punch. The
// UTC offset of the punch is kept beside it. A database failure shows the numbered-code
// box and writes nothing. A punch log that cannot be written never undoes the punch.

namespace pw {

class Station;
class Tclock;

void punch_in(Station& st, Tclock& win);

} // namespace pw
