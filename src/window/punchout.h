#pragma once
// Punch out: the Punch OUT button. Tells the employee about open sales tickets, finds the
// open Punch record for the employee and job, stamps and rounds the out time, computes the
// shift's hours under the pay rules, closes the record (status 2, or 3 when the shift limit
// struck or the shift cannot be right: out before in, open more than 24 hours), puts weekly
// overtime beyond 40 hours on a second record, logs, shows the result and offers a receipt.
//
// Rules: of two stations closing the same punch one succeeds and the other is told the
// punch-in record cannot be found. A database failure shows the numbered-code box and leaves
// the punch open as it was.

namespace pw {

class Station;
class Tclock;

void punch_out(Station& st, Tclock& win);

} // namespace pw
