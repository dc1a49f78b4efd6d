#include "configwindow.h"

#include "purge.h"
#include "reports/menu.h"
#include "screens/helpview.h"
#include "screens/textsizes.h"
#include "screens/touchkeys.h"
#include "station/fields.h"
#include "station/settings.h"
#include "station/station.h"
#include "window/tclock.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace pw {

namespace {

// Sizes for a 1024x768 touch screen.
constexpr int kRowHeight = 40;
constexpr int kButtonHeight = 56;
constexpr int kPoints = 13;

const QColor kFocusColour(255, 255, 0);
const QColor kPlainColour(255, 255, 255);

template <typename T> T* named(T* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

void paint_base(QLineEdit* box, const QColor& colour) {
    QPalette p = box->palette();
    p.setColor(QPalette::Base, colour);
    box->setPalette(p);
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = named(new QPushButton(caption, parent), QString::fromLatin1(name));
    b->setFont(sized(b, kPoints + 1, true));
    b->setMinimumHeight(kButtonHeight);
    b->setMinimumWidth(150);
    // Enter in a box must not save or close the window by surprise.
    b->setAutoDefault(false);
    return b;
}

} // namespace

ConfigWindow::ConfigWindow(Station& st, QWidget* parent)
    : QDialog(parent)
    , st_(st) {
    setObjectName(QStringLiteral("frmconfig"));
    setProperty(kManagerOnly, true);
    setWindowTitle(QStringLiteral("Punchwell Configuration"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFont(sized(this, kPoints));

    create_boxes();
    create_notices();
    create_buttons();
    create_layout();
    create_printer_list();
    create_connections();

    fit_to_screen(*this, QSize(980, 600));
    loadsettings(st_);
    show_settings();
}

void ConfigWindow::create_boxes() {
    for (int i = 0; i < kConfigBoxes; ++i) {
        Label1[i] = named(new QLabel(config_caption(i), this), QStringLiteral("Label1_%1").arg(i));
        Text1[i] = named(new QLineEdit(this), QStringLiteral("Text1_%1").arg(i));
        Text1[i]->setMaxLength(config_max_length(i));
        Text1[i]->setMinimumHeight(kRowHeight);
        Label1[i]->setBuddy(Text1[i]);
        Text1[i]->installEventFilter(this);
        paint_base(Text1[i], kPlainColour);
    }
    // Save never writes the pay period's end (the payroll owns it): shown, not editable.
    Text1[kBoxPayPeriodEnd]->setReadOnly(true);
    Text1[kBoxPayPeriodEnd]->setFocusPolicy(Qt::NoFocus);
    Text1[kBoxPayPeriodEnd]->setStyleSheet(QStringLiteral("QLineEdit { color: #505050; }"));
}

// The remote flag, the no-printer warning and the archive and purge progress line.
void ConfigWindow::create_notices() {
    chktclockmode = named(new QCheckBox(QStringLiteral("This unit is a 'remote' Punchwell"), this),
                          QStringLiteral("chktclockmode"));
    chktclockmode->setMinimumHeight(kRowHeight);
    lblnoprinter =
        named(new QLabel(QStringLiteral("No Printer"), this), QStringLiteral("lblnoprinter"));
    lblnoprinter->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    // Its place is kept while hidden: choosing "No Printer" must not widen the window.
    QSizePolicy keep = lblnoprinter->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    lblnoprinter->setSizePolicy(keep);
    txtpurgemsg = named(new QLabel(this), QStringLiteral("txtpurgemsg"));
    txtpurgemsg->setAlignment(Qt::AlignCenter);
    txtpurgemsg->setMinimumHeight(kRowHeight);
    txtpurgemsg->setStyleSheet(
        QStringLiteral("QLabel#txtpurgemsg { background: #fff8c0; border: 1px solid #808080; "
                       "font-weight: bold; }"));
    txtpurgemsg->hide();
}

void ConfigWindow::create_buttons() {
    cmdsave = button(this, "cmdsave", QStringLiteral("Save"));
    cmdpurge = button(this, "cmdpurge", QStringLiteral("Archive/Purge"));
    cmdhelp = button(this, "cmdhelp", QStringLiteral("Help"));
    cmdexit = button(this, "cmdexit", QStringLiteral("Exit"));
}

void ConfigWindow::create_layout() {
    // Pay rules and printer on the left, the six edit reasons on the right.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    const int left[] = {kBoxPayPeriodEnd,   kBoxShiftLimit,  kBoxInRounding,   kBoxOutRounding,
                        kBoxReceiptPrinter, kBoxPrinterType, kBoxWorkWeekStart};
    int row = 0;
    for (int i : left) {
        // Long captions take two lines rather than the width of an 800 pixel screen.
        Label1[i]->setWordWrap(true);
        Label1[i]->setMinimumWidth(190);
        grid->addWidget(Label1[i], row, 0);
        Text1[i]->setFixedWidth(i == kBoxPayPeriodEnd ? 130 : 70);
        grid->addWidget(Text1[i], row, 1);
        ++row;
    }
    grid->addWidget(lblnoprinter, 4, 2);
    grid->addWidget(chktclockmode, row, 0, 1, 3);
    for (int n = 0; n < 6; ++n) {
        const int i = kBoxFirstReason + n;
        grid->addWidget(Label1[i], n, 4);
        Text1[i]->setMinimumWidth(160);
        grid->addWidget(Text1[i], n, 5);
    }
    grid->setColumnMinimumWidth(3, 8);
    grid->setColumnStretch(5, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(16);
    for (QPushButton* b : {cmdsave, cmdpurge, cmdhelp, cmdexit})
        buttons->addWidget(b);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(16, 16, 16, 16);
    page->setSpacing(16);
    page->addLayout(grid);
    page->addStretch(1);
    page->addWidget(txtpurgemsg);
    page->addLayout(buttons);
}

// Not in the layout: it lies over box 4 while a printer is being chosen.
void ConfigWindow::create_printer_list() {
    List1 = named(new QListWidget(this), QStringLiteral("List1"));
    List1->hide();
}

void ConfigWindow::create_connections() {
    connect(List1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { printer_clicked(List1->row(item)); });
    connect(cmdsave, &QPushButton::clicked, this, &ConfigWindow::save);
    connect(cmdpurge, &QPushButton::clicked, this, &ConfigWindow::purge);
    connect(cmdexit, &QPushButton::clicked, this, &ConfigWindow::close);
    connect(cmdhelp, &QPushButton::clicked, this,
            [this] { show_help(st_, this, QStringLiteral("tclock1.txt")); });
}

void ConfigWindow::show_settings() {
    const ConfigEntries e = config_entries(st_.settings);
    for (int i = 0; i < kConfigBoxes; ++i)
        Text1[i]->setText(e.boxes[i]);
    lblnoprinter->setVisible(st_.settings.receiptprinter < 0);
    chktclockmode->setChecked(e.remote);
}

bool ConfigWindow::eventFilter(QObject* watched, QEvent* event) {
    const auto box = std::find(Text1.begin(), Text1.end(), watched);
    if (box != Text1.end()) {
        if (event->type() == QEvent::FocusIn) {
            paint_base(*box, kFocusColour);
            if (box - Text1.begin() == kBoxReceiptPrinter)
                show_printer_list();
            else
                List1->hide();
        } else if (event->type() == QEvent::FocusOut) {
            paint_base(*box, kPlainColour);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ConfigWindow::show_printer_list() {
    List1->clear();
    List1->addItems(printer_items(st_.printers().names()));
    QLineEdit* box = Text1[kBoxReceiptPrinter];
    const QPoint at = box->mapTo(this, QPoint(0, 0));
    const int rows = std::min(List1->count(), 8);
    const int height = std::min(rows * 44 + 2 * List1->frameWidth() + 4, this->height() - at.y());
    List1->setGeometry(at.x(), at.y(), std::max(box->width(), 320), height);
    List1->raise();
    List1->show();
}

void ConfigWindow::printer_clicked(int row) {
    Text1[kBoxReceiptPrinter]->setText(QString::number(row - 1));
    List1->hide();
    lblnoprinter->setVisible(val(Text1[kBoxReceiptPrinter]->text()) < 0);
}

void ConfigWindow::save() {
    // A unit above an hour rounds to times that do not exist (23:55 by 90 gives 00:30).
    for (int i : {kBoxInRounding, kBoxOutRounding}) {
        if (val(Text1[i]->text()) > 60) {
            st_.dialogs().message(config_caption(i) + QStringLiteral(" cannot be more than 60."),
                                  QStringLiteral("Oops..."), Icon::Information);
            Text1[i]->setFocus();
            return;
        }
    }
    ConfigEntries e;
    for (int i = 0; i < kConfigBoxes; ++i)
        e.boxes[i] = Text1[i]->text();
    e.remote = chktclockmode->isChecked();
    if (save_configuration(st_, e) != SaveResult::Saved)
        return;
    // Reasons left empty now show the defaults they were saved as, and the week start day
    // what it was saved as (0 to 7).
    for (int n = 0; n < 6; ++n)
        Text1[kBoxFirstReason + n]->setText(e.boxes[kBoxFirstReason + n]);
    Text1[kBoxWorkWeekStart]->setText(QString::number(st_.settings.wwstartday));
}

void ConfigWindow::purge() {
    if (st_.who.manager != 1)
        return;
    archive_purge(st_, [this](const QString& text) {
        txtpurgemsg->setText(text);
        txtpurgemsg->setVisible(!text.isEmpty());
        // Drawn now: the move holds the window until it is done.
        QCoreApplication::processEvents();
    });
}

void open_configuration(Station& st, QWidget* parent) {
    if (st.who.manager != 1)
        return;
    ConfigWindow window(st, parent);
    // Reading the settings again failed: nothing to show that could be trusted.
    if (!st.settings.payrules_loaded) {
        st.dialogs().message(payrules_waiting_text(st.settings), QStringLiteral("Punchwell"),
                             Icon::Information);
        return;
    }
    window.exec();
}

} // namespace pw
