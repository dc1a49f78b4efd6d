#include "helptexts.h"

namespace suite {

namespace {

const char* const kMenus = R"(PUNCHWELL - EMPLOYEE AND MANAGER MENUS

PUNCHING IN AND OUT
  1. Type your employee number and press OK.
  2. Type your password and press OK again.
  3. If you are not on the clock, choose your job in the list and press
     Punch IN. If you are on the clock, the list shows your open punch and
     the hours so far; press Punch OUT to end your shift.
  4. Press DONE when you are finished. The screen clears by itself a few
     seconds after a punch.
  Punch times are rounded to the club's rounding unit. The hours of a
  shift are counted when you punch out, less any break the job carries.
  If the station asks you to punch out first, you have been on the clock
  too long: punch out, then see a manager.

YOUR OWN REPORTS (the Report button)
  My Punches - Today          your punches of today
  My Punches This Month       your punches of this month
  My Punches Last Month       your punches of last month
  My Hours This Month         your hours of this month
  My Hours Last Month         your hours of last month
  My Hours This Quarter       your hours of this quarter

MANAGER OPTIONS (the Manager button, managers only)
  Who's Punched In?           everyone who is on the clock now
  Range of Employees          punches by dates and employee numbers
  Range of Jobs               punches by dates and job numbers
  Recorded vs Adjusted Punch Times
                              punch times as punched and as rounded
  Punch IN Time Range         punches that began within a time of day
  Punch OUT Time Range        punches that ended within a time of day
  "Bad" Punches               shifts over the shift limit, closed with
                              zero hours; correct them in Edit Punches
  Misc. Punch Reports         further punch reports by date range
  Edit Punches                the punch editor (it has its own Help)
  Configuration               the station's settings, after the manager
                              password (it has its own Help)
  Sync Network Clock          sets this station's clock from the network
  Import / Export Punches     a remote station exports its punches to a
                              file; the main station imports that file

ANSWERING THE PROMPTS
  Dates: YYYYMMDD, for example 20240131. MMDD alone means this year.
  Times: HH:MM:SS on the 24-hour clock; 0800 or 08:00 is enough.
  Employee and job numbers: the number alone.
  Leave a box empty or press Cancel to stop the report.
  Print Report prints the report on the screen.
)";

const char* const kConfiguration = R"(PUNCHWELL - CONFIGURATION

These settings apply to every clock station of the club, except the
receipt printer and the remote switch, which belong to this station.
Press Save to keep your changes; Exit leaves without saving.

Pay period END date
  The end of the current pay period, from the payroll. Shown only.
Shift limit (1-24 hours)
  A shift that runs overnight this many hours or more is taken as a
  forgotten punch out: it is closed with zero hours as a "bad" punch.
Punch IN rounding / Punch OUT rounding (nearest X minutes)
  Punch times are rounded to the nearest this many minutes (15 rounds
  08:07 down to 08:00 and 08:08 up to 08:15). 0 or 1 means no rounding.
Receipt printer
  Click the box and choose the printer from the list, or No Printer.
Receipt printer type
  The font the receipt printer prints in: 0 for the 16 characters per
  inch font, 1 for the printer's font B.
Edit reason #1 to #6
  The reasons offered in the punch editor, 20 characters at most. An
  empty reason is given back its standard text when you save.
Workweek Start Day (1=Sun, 7=Sat, 0=disabled)
  The first day of the week for the 40-hour overtime rule. 0 switches
  weekly overtime off.
This unit is a 'remote' Punchwell
  Tick this on a station away from the main station: its manager menu
  then offers Export Punches instead of Import Punches.

Archive/Purge
  Moves the punches whose IN date lies in a date range from the punch
  list into the history table, to keep the punch list small. You are
  asked for the dates and asked twice to confirm. Archived punches no
  longer appear in reports or in the punch editor; there is no undo.
)";

const char* const kEditor = R"(PUNCHWELL - PUNCH EDITOR

CHOOSING A PUNCH
  1. Select From/To Dates asks for the date range (YYYYMMDD).
  2. Choose a job in the Job Code list, or 0 - All Jobs, to list the
     employees with punches in that range.
  3. Click an employee to list his or her punches and the total of
     regular hours.
  4. Click a punch to load it into the boxes.
  Red rows have zero hours or more hours than the shift limit; green
  rows are approved.

CORRECTING A PUNCH
  Dates are YYYYMMDD (MMDD alone means this year). Times are HH:MM:SS on
  the 24-hour clock; type 0830 and press Enter for 08:30:00. Changing a
  date or time counts the Regular Hours again. Hours may be moved to
  overtime, holiday, vacation or sick hours: type them in their box and
  lower the Regular Hours. Give a reason, or pick one of the reasons
  below the boxes, then press Save Changes and OK this record. Saving
  approves the punch.

NEW PUNCHES
  Create New Punch Record: choose the employee and the job, fill in the
  dates, times and hours, give a reason and press SAVE new punch record.
  CANCEL new punch record empties the boxes.
  For hours without times (vacation, for example), answer Yes when asked
  whether this is an hours adjustment without time settings.

APPROVING
  Global OK ALL punches approves every closed punch of the chosen
  employee in the date range. You are warned first when some of them
  are "bad" punches.

Exit closes the editor.
)";

} // namespace

const QList<HelpText>& help_texts() {
    static const QList<HelpText> texts = {
        {"tclock0.txt", kMenus},
        {"tclock1.txt", kConfiguration},
        {"tchelp2.txt", kEditor},
    };
    return texts;
}

} // namespace suite
