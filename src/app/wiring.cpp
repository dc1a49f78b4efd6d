#include "wiring.h"

#include "config/configwindow.h"
#include "editor/puncheditor.h"
#include "exchange/exchange.h"
#include "punch/identify.h"
#include "reports/listprint.h"
#include "reports/menu.h"
#include "reports/miscreports.h"
#include "station/station.h"
#include "station/tclock.h"

#include <algorithm>

namespace pw {

ReportMenu& wire_station(Station& st, Tclock& win) {
    connect_punch_screen(st, win);

    // A child of the report panel, so that every screen clear hides it with the panel.
    auto* misc = new MiscPunchFrame(st, win.frareport);
    misc->setAutoFillBackground(true); // it floats over the menu buttons
    misc->hide();

    MenuActions actions;
    actions.print_report = [&st, &win] { print_list_report(st, *win.lstpayrate); };
    actions.show_misc = [misc, panel = win.frareport](QPoint at) {
        // At the button, but moved up and in as far as needed to be seen whole.
        misc->adjustSize();
        const int x = std::max(0, std::min(at.x(), panel->width() - misc->width()));
        const int y = std::max(0, std::min(at.y(), panel->height() - misc->height()));
        misc->move(x, y);
        misc->raise();
        misc->show();
    };
    actions.open_editor = [&st, &win] { open_punch_editor(st, &win); };
    actions.open_configuration = [&st, &win] { open_configuration(st, &win); };
    actions.export_punches = [&st, &win] { export_punches(st, *win.Timer1); };
    actions.import_punches = [&st, &win] { import_punches(st, *win.Timer1); };
    return connect_menus(st, win, std::move(actions));
}

} // namespace pw
