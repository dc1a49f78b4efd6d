#pragma once
// Saving the station's configuration: the pay rules, edit reasons and work-week start into
// the suite's payroll table pr, the receipt printer, its type and the remote flag into
// tclock.ini, and the Settings behind them. The configuration window hands over the texts of
// its boxes; nothing here builds a window.
//
// Rules: nothing is saved while the suite cannot be reached. pr is changed in one
// transaction, and the Settings and tclock.ini change only after pr was saved. tclock.ini is
// written where loadsettings reads it (tclockini). Box 0 (the pay-period end) is shown and
// never saved. The Settings' reasons are left alone: the editor takes the new ones at the
// next load.

#include <QString>
#include <QStringList>
#include <array>

namespace pw {

class Station;
struct Settings;

inline constexpr int kConfigBoxes = 13;
// Box indexes with a meaning of their own.
inline constexpr int kBoxPayPeriodEnd = 0;
inline constexpr int kBoxShiftLimit = 1;
inline constexpr int kBoxInRounding = 2;
inline constexpr int kBoxOutRounding = 3;
inline constexpr int kBoxReceiptPrinter = 4;
inline constexpr int kBoxPrinterType = 5;
inline constexpr int kBoxFirstReason = 6; // reasons 1 to 6 are boxes 6 to 11
inline constexpr int kBoxWorkWeekStart = 12;

// The caption and the longest entry of each box.
QString config_caption(int box);
int config_max_length(int box);

// The texts of the window's boxes and its remote check box.
struct ConfigEntries {
    std::array<QString, kConfigBoxes> boxes;
    bool remote = false;
};

// What the window shows for the Settings: numbers as plain whole numbers, box 0 the
// pay-period end, boxes 6 to 11 the reasons.
ConfigEntries config_entries(const Settings& s);

// The printer list over box 4: "No Printer" first, then "0-name", "1-name", ... in the order
// receipt printing numbers the printers.
QStringList printer_items(const QStringList& printers);

enum class SaveResult {
    Saved,
    SuiteMissing, // the connection message was shown; nothing saved
    Failed,       // the numbered-code box was shown; see save_configuration
};

// The Save button. Empty reason boxes are first filled with their defaults in entries, so the
// window can show them again. A workweek start day outside 0 to 7 is saved as 0. A database
// failure saves nothing; a tclock.ini that cannot be written leaves pr and the Settings saved.
SaveResult save_configuration(Station& st, ConfigEntries& entries);

} // namespace pw
