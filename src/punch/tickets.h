#pragma once
// The open sales-ticket check of punch out: where the station runs beside the point-of-sale
// program, an employee who punches out is told how many sales tickets are still open under
// his server number, held centrally (the suite data folder) and on this terminal.
//
// Rules: the check only informs; punch out goes on whatever it finds. The point-of-sale
// databases belong to that program and are only ever opened read-only. A database file that
// does not exist counts as no tickets.

#include <QString>
#include <optional>

namespace pw {

class Station;

// The point-of-sale program is present or configured: tillmar.exe in the working folder or
// the suite data folder, or a point-of-sale unit number above 0.
bool pos_present(Station& st);

// Empty where the database does not exist (or could not be read).
struct TicketCounts {
    std::optional<qint64> central;
    std::optional<qint64> local;
};

// Counts the employee's open tickets. A database that exists but cannot be read shows the
// numbered-code box and counts as empty.
TicketCounts count_open_tickets(Station& st, double employee);

// The message for the counts, or an empty text when neither count is above 0.
QString open_tickets_message(const TicketCounts& counts);

// The whole check: nothing unless pos_present; the "Open POS Tickets Exist" box when needed.
void check_open_tickets(Station& st, double employee);

} // namespace pw
