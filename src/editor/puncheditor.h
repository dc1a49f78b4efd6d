#pragma once
// The punch editor: the manager's window for reviewing, correcting, creating and approving
// punches. A date range and optionally one job select the employees with punches; choosing
// an employee lists his punches with their total adjusted regular hours; choosing a punch
// loads it into twelve boxes that Save writes back as approved. A new punch is built in the
// same boxes, and one button approves all of an employee's closed and bad punches.
//
// Rules: every handler opens the databases it needs and closes them before it returns; the
// lists hold copies of what was read, so nothing stays locked while the window is open. A
// database failure shows the numbered-code box and changes nothing. The editor keeps its
// own range, job, employee and pay rate, so the station's punch screen is never affected by
// what is chosen here. Controls carry the names the station knows them by, as members and
// objectNames.

#include "editordata.h"

#include <QWidget>
#include <array>
#include <optional>

class QComboBox;
class QFrame;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;

namespace pw {

class Station;
class EmployeeGrid;
class PunchGrid;

class PunchEditor : public QWidget {
    Q_OBJECT

public:
    explicit PunchEditor(Station& st, QWidget* parent = nullptr);
    ~PunchEditor() override;

    // Opening: above other windows, the date range, the reason captions, the job list.
    void open();

    // Handlers, each what the control of that name does.
    void select_dates();           // cmdselectdates
    void choose_job();             // Combo1 chosen
    void go();                     // cmdgo
    void choose_employee(int row); // a row of grid1
    void choose_punch(int row);    // a row of grid2
    void save();                   // cmdsave
    void create_punch();           // cmdcreate
    void new_punch();              // cmdnewpunch
    void employee_chosen();        // cboempnumber chosen
    void employee_job_chosen();    // cboempjobs chosen
    void save_new();               // cmdsavenew
    void cancel_new();             // cmdcancelnew
    void okay_all();               // cmdokayall
    void help();                   // cmdhelp
    void reason_clicked(int k);    // optreason(k)

    // Routines shared by the handlers.
    void clearedit();
    void sizecolumns();
    void sumhours();
    void calchours();

    // The window's state.
    EditorFilter filter; // range from/to date and the job filter
    double selected_employee = 0;
    int newpunchmode = 0;
    int badentry = 0;
    int hoursonly = 0;
    QString job_description; // of the job chosen for a new punch
    double pay_rate = 0;

    // Controls.
    QPushButton* cmdselectdates;
    QLabel* lbljobcode;
    QComboBox* Combo1;
    QPushButton* cmdgo;
    QPushButton* cmdcreate;
    QPushButton* cmdhelp;
    QPushButton* cmdexit;

    QLabel* lblgrid1;
    QTableView* grid1;
    EmployeeGrid* Data1;
    QLabel* lblgrid2;
    QTableView* grid2;
    PunchGrid* Data2;

    QFrame* fraedit1;
    QComboBox* cboempnumber;
    QComboBox* cboempjobs;
    std::array<QLineEdit*, 12> txtpunch{};
    std::array<QLabel*, 12> Label1{};
    QLabel* lbltotalhours;
    QLineEdit* txttotalhours;
    std::array<QRadioButton*, 6> optreason{};
    QLabel* helpwindow1;
    QPushButton* cmdsave;
    QPushButton* cmdnewpunch;
    QPushButton* cmdsavenew;
    QPushButton* cmdcancelnew;
    QPushButton* cmdokayall;

    // The twelve boxes' texts.
    PunchBoxes boxes() const;
    // The punch that Save writes, when one is chosen and still shown.
    int current_row() const { return current_ ? current_->row : -1; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Current {
        int row = -1;
        PunchKey key;
    };

    // The constructor's steps, in the order the controls are made.
    QLayout* create_selection_bar();
    QLayout* create_lists();
    QFrame* create_edit_frame();
    QLayout* create_punch_boxes();
    QLayout* create_reasons();
    QLayout* create_actions();
    void create_connections();

    void box_focus_in(int k);
    void box_focus_out(int k);
    void box_enter(int k);
    void show_grid1(bool on);
    void show_grid2(bool on);
    void deselect_reasons();
    int box_index(QObject* watched) const;
    QString boxes_times() const; // the time boxes' texts, as one

    Station& st_;
    std::optional<Current> current_;
    // The answer to the hours-adjustment question, and the two times it was given for.
    struct HoursOnlyAnswer {
        QString times;
        bool yes = false;
    };
    std::optional<HoursOnlyAnswer> hours_only_answer_;
    // The break rule calchours applies: the listed punch's own, or the new punch's job's.
    double breaktime_ = 0;
    double breakreduction_ = 0;
    // The offsets kept for the listed punch, and the boxes' date and time texts they belong to.
    PunchOffsets kept_;
    QString kept_in_, kept_out_;
};

// Opens the editor as a window of its own above parent, deleted when it closes; nothing (and
// nullptr) unless a manager is identified.
PunchEditor* open_punch_editor(Station& st, QWidget* parent);

} // namespace pw
