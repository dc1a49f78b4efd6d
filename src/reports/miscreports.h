#pragma once
// The misc punch reports: the punches of a range of punch-in dates, all of them or those of
// one approval state, printed through the template "tclk01b.rpt". The frame that asks for
// them sits on the main window; the manager menu shows it.
//
// Rules: dates are whole numbers YYYYMMDD, none before 20050101; a FROM after TO is
// swapped. "Approved" means the reason "MGR APPROVED", whatever the status became later;
// "adjusted" means approved or exported with another reason. The query's values are bound.

#include "reportengine.h"

#include <QGroupBox>
#include <QString>

class QLineEdit;
class QRadioButton;

namespace pw {

class Station;

inline constexpr int kEarliestMiscDate = 20050101;
inline constexpr int kMiscOptions = 5;

enum MiscOption {
    kMiscAll = 0,
    kMiscApproved = 1,
    kMiscNotApproved = 2,
    kMiscAdjusted = 3,
    kMiscBad = 4,
};

QString misc_option_caption(int option); // "All Punches", ...
QString misc_title(int option);          // the report title: "All Punches", ...
// "select * from punch where tckindate between ? and ?" and the option's condition.
ReportQuery misc_query(int option, int from, int to);

// FROM and TO from the boxes' texts: the leading number rounded to a whole number (halves
// to even), swapped when TO is below FROM.
struct MiscDates {
    int from = 0;
    int to = 0;
    bool swapped = false;
    bool valid() const { return from >= kEarliestMiscDate && to >= kEarliestMiscDate; }
};
MiscDates misc_dates(const QString& from_text, const QString& to_text);

// Makes the work database fresh, copies the matching punches into it, writes the heading
// row and shows the report. False when nothing was shown (no match, template missing, a
// failure), after telling the user.
bool print_misc_report(Station& st, int option, int from, int to);

// The frame "Misc Punch Reports by Date Range" (framiscpunch): FROM (Text1) and TO (Text2)
// boxes, the options optmiscpunch0 to optmiscpunch4 and the Print button (cmdprintmisc).
// A double-click hides it; so does a report that was shown.
class MiscPunchFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit MiscPunchFrame(Station& st, QWidget* parent = nullptr);

    // The highest option that is set; 0 with none.
    int chosen_option() const;
    QLineEdit* from_box() const { return from_; }
    QLineEdit* to_box() const { return to_; }

    // The Print button.
    void print();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    Station& st_;
    QLineEdit* from_;
    QLineEdit* to_;
    QRadioButton* options_[kMiscOptions];
};

} // namespace pw
