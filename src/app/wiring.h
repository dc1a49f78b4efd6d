#pragma once
// The program put together: which routine answers which button of the main window. The
// report menu reaches the parts of the station that build on the reports (printing, the misc
// reports frame, and later the punch editor, the configuration window, export and import)
// through the actions filled in here; an action not filled in does nothing.

namespace pw {

class ReportMenu;
class Station;
class Tclock;

// Connects the punch screen and the menus of win. Call before startup(). The returned menu
// is owned by win.
ReportMenu& wire_station(Station& st, Tclock& win);

} // namespace pw
