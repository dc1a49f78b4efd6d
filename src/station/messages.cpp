#include "messages.h"

#include "db.h"
#include "station.h"

namespace pw {

bool askyesno(Station& st, const QString& text, const QString& title) {
    return st.dialogs().ask_yes_no(text, title);
}

void reporterror(Station&, int, const QString&) {}
void reporterror(Station& st, const DbError& e) { reporterror(st, e.code(), e.description()); }
void adminlog(Station&, const QString&) {}
void pausesecond(Station& st) { st.clock().pause(1000); }

} // namespace pw
