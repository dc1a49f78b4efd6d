#include "wiring.h"

#include "config/configwindow.h"
#include "editor/puncheditor.h"
#include "exchange/exchange.h"
#include "keys/sendkeys.h"
#include "reports/listprint.h"
#include "reports/menu.h"
#include "reports/miscreports.h"
#include "screens/touchkeys.h"
#include "station/station.h"
#include "window/identify.h"
#include "window/tclock.h"

namespace pw {

ReportMenu& wire_station(Station& st, Tclock& win) {
    connect_punch_screen(st, win);
    // Every window of the station is worked by fingers.
    new TouchScreen(&win);

    QObject::connect(&win, &Tclock::keypad_multiply_pressed, &win,
                     [&st] { send_tab(st.keyboard(), st.clock()); });

    MenuActions actions;
    actions.print_report = [&st, &win] { print_list_report(st, *win.lstpayrate); };
    // Beside the menu, in the report list's place; the menu hides it with the panel. Made
    // the first time it is asked for, so that start-up builds no frame only a manager sees.
    actions.show_misc = [&st, &win] {
        auto* misc = win.findChild<MiscPunchFrame*>(QString(), Qt::FindDirectChildrenOnly);
        if (!misc) {
            misc = new MiscPunchFrame(st, &win);
            win.add_to_list_area(misc);
        }
        misc->show();
    };
    actions.open_editor = [&st, &win] { open_punch_editor(st, &win); };
    actions.open_configuration = [&st, &win] { open_configuration(st, &win); };
    actions.export_punches = [&st, &win] { export_punches(st, *win.Timer1); };
    actions.import_punches = [&st, &win] { import_punches(st, *win.Timer1); };
    return connect_menus(st, win, std::move(actions));
}

} // namespace pw
