#include "forms/frmZEL.h"

#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/ErrorTrap.h"
#include "base/PathMapping.h"
#include "domain/entry/DealSheet.h"
#include "domain/entry/EntryFormat.h"
#include "domain/entry/FieldTable.h"
#include "domain/entry/KeyRules.h"
#include "domain/entry/ScreenFit.h"
#include "domain/export/PdfPages.h"
#include "domain/help/HelpSection.h"
#include "domain/startup/ZELMain.h"
#include "forms/EntryBox.h"
#include "forms/FrameFit.h"
#include "forms/NavigationBar.h"
#include "forms/ZELSetUp.h"
#include "forms/frmHelp.h"
#include "forms/frmHistory.h"
#include "forms/frmRpt.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>

// A control the screen fitting moves: its design place in twips and its fitting tag.
struct frmZEL::Placed {
    QWidget *widget;
    TwipRect design;
    QString tag;
};

namespace {
const QString panelTag = QStringLiteral("H#6060W#9480");
const QString browseCaption = QStringLiteral("  RECORD");
const QString addCaption = QStringLiteral("Add Mode");

QAction *addItem(QMenu *menu, const QString &caption, const QString &name, bool built) {
    QAction *item = menu->addAction(caption);
    item->setObjectName(name);
    // Shown so the menus read as they will, but inert until the work behind them exists.
    item->setEnabled(built);
    return item;
}

QRect pixels(const TwipRect &r) {
    return {twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width),
            twipsToPixels(r.height)};
}

QFont boxFont(bool terminal) {
    // A narrow serif keeps a full date inside the narrow date boxes.
    QFont font;
    font.setFamilies(terminal ? QStringList{QStringLiteral("DejaVu Sans Mono")}
                              : QStringList{QStringLiteral("Liberation Serif"),
                                            QStringLiteral("DejaVu Serif Condensed")});
    font.setStyleHint(terminal ? QFont::TypeWriter : QFont::Serif);
    if (terminal) {
        font.setPointSizeF(9);
    } else {
        font.setPointSizeF(6.75);
        font.setBold(true);
    }
    return font;
}

// Puts a text in a box so that it shows from its start, however long or padded it is.
void showText(QLineEdit *box, const QString &text) {
    box->setText(text);
    box->setCursorPosition(0);
}

QFont captionFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    return font;
}
} // namespace

frmZEL::frmZEL(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmZEL"));
    setWindowTitle(QStringLiteral("VOLMERA"));
    buildMenus();
    buildControls();

    auto *setupKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this);
    setupKey->setContext(Qt::WindowShortcut);
    connect(setupKey, &QShortcut::activated, this, [this] { ZELSetUp::open(this); });

    session.shownChanged = [this] { showDeal(session.deal()); };
    Form_Load();
}

frmZEL::~frmZEL() {
    for (EntryBox *box : txtZEL)
        box->release();
}

void frmZEL::buildMenus() {
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuImportZEL = addItem(mnuFile, QStringLiteral("&Import ZEL"), "mnuImportZEL", true);
    mnuAddRec = addItem(mnuFile, QStringLiteral("&Add Record"), "mnuAddRec", true);
    mnuFindRecord = addItem(mnuFile, QStringLiteral("&Find Record"), "mnuFindRecord", true);
    // Alt+F opens the File menu; finding has a keystroke of its own, shown beside the item.
    mnuFindRecord->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuDelRecord = addItem(mnuFile, QStringLiteral("&Delete Record"), "mnuDelRecord", true);
    mnuRebuild = addItem(mnuFile, QStringLiteral("&Rebuild/Purge ZEL"), "mnuRebuild", true);
    mnuPrintRec = addItem(mnuFile, QStringLiteral("&Print Current Record"), "mnuPrintRec", true);
    mnuHistory = addItem(mnuFile, QStringLiteral("Deal &History"), "mnuHistory", true);
    mnuExportRec =
        addItem(mnuFile, QStringLiteral("Expor&t Current Record…"), "mnuExportRec", true);
    mnuExit = addItem(mnuFile, QStringLiteral("E&xit"), "mnuExit", true);
    connect(mnuImportZEL, &QAction::triggered, this, &frmZEL::mnuImportZEL_Click);
    connect(mnuRebuild, &QAction::triggered, this, &frmZEL::mnuRebuild_Click);
    connect(mnuAddRec, &QAction::triggered, this, &frmZEL::mnuAddRec_Click);
    connect(mnuFindRecord, &QAction::triggered, this, &frmZEL::mnuFindRecord_Click);
    connect(mnuDelRecord, &QAction::triggered, this, &frmZEL::mnuDelRecord_Click);
    connect(mnuPrintRec, &QAction::triggered, this, &frmZEL::mnuPrintRec_Click);
    connect(mnuHistory, &QAction::triggered, this, &frmZEL::mnuHistory_Click);
    connect(mnuExportRec, &QAction::triggered, this, &frmZEL::mnuExportRec_Click);
    connect(mnuExit, &QAction::triggered, this, &frmZEL::mnuExit_Click);

    mnuReports = menuBar()->addMenu(QStringLiteral("&Reports"));
    mnuReports->setObjectName(QStringLiteral("mnuReports"));
    const QStringList reports = {
        QStringLiteral("FI &Log"),
        QStringLiteral("&Summary Analysis"),
        QStringLiteral("&Gross Sales Report"),
        QStringLiteral("&Commission Report"),
        QStringLiteral("&Names"),
        QStringLiteral("&Follow-up Letters"),
        QStringLiteral("&Anniversary Report"),
        QStringLiteral("&Birthday Report"),
        QStringLiteral("Ser&vice Cnt Report"),
        QStringLiteral("&Model Report"),
        QStringLiteral("&Trend Report"),
        QStringLiteral("F&&I Sc&oreboard"),
    };
    for (int index = 0; index < reports.size(); ++index) {
        const QString name = QStringLiteral("mnuReport_%1").arg(index);
        if (index != 5) {
            QAction *item = addItem(mnuReports, reports.at(index), name, true);
            connect(item, &QAction::triggered, this, [this, index] { mnuReport_Click(index); });
            mnuReport.append(item);
            continue;
        }
        QMenu *letters = mnuReports->addMenu(reports.at(index));
        letters->setObjectName(name);
        letters->menuAction()->setObjectName(name);
        mnuReport.append(letters->menuAction());
        const QStringList captions = {QStringLiteral("&Dealership Thank You"),
                                      QStringLiteral("&Salesperson Thank You"),
                                      QStringLiteral("Service &Follow up")};
        for (int letter = 0; letter < captions.size(); ++letter) {
            QAction *item = addItem(letters, captions.at(letter),
                                    QStringLiteral("mnuLetter_%1").arg(letter), true);
            connect(item, &QAction::triggered, this, [this, letter] { mnuLetter_Click(letter); });
            mnuLetter.append(item);
        }
    }

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuAbout = addItem(mnuHelp, QStringLiteral("&About"), "mnuAbout", true);
    mnuRecHlp = addItem(mnuHelp, QStringLiteral("&Record Action Keys"), "mnuRecHlp", true);
    connect(mnuAbout, &QAction::triggered, this, &frmZEL::mnuAbout_Click);
    connect(mnuRecHlp, &QAction::triggered, this, &frmZEL::mnuRecHlp_Click);
}

void frmZEL::buildControls() {
    // In a window made smaller than the controls need, the panel scrolls.
    scroller = new QScrollArea(this);
    scroller->setObjectName(QStringLiteral("scrollPanel"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setFocusPolicy(Qt::NoFocus);
    scroller->installEventFilter(this);
    setCentralWidget(scroller);
    // The boxes are laid out to the twip: no room is lost to padding inside them.
    scroller->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px; }"));
    // The background panel holds every control; a click on its free space, or Tab from the
    // last amount, brings the totals up to date and returns to Date Sold.
    Picture1 = new QWidget;
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Picture1->setGeometry(0, 0, twipsToPixels(9480), twipsToPixels(6060));
    Picture1->installEventFilter(this);
    scroller->setWidget(Picture1);

    auto place = [this](QWidget *w, TwipRect r, const QString &tag) {
        w->setGeometry(pixels(r));
        placed.append({w, r, tag});
    };
    auto caption = [&](const QString &name, const QString &text, int right, int top, int height,
                       Qt::Alignment align = Qt::AlignRight | Qt::AlignVCenter) {
        auto *label = new QLabel(text, Picture1);
        label->setObjectName(name);
        label->setFont(captionFont());
        label->setAlignment(align);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        const int width = pixelsToTwips(label->fontMetrics().horizontalAdvance(text) + 4);
        place(label, {right - width, top + (height - 195) / 2, width, 195}, QStringLiteral("F:L%"));
        return label;
    };

    for (const EntryField &f : FieldTable::fields()) {
        auto *box = new EntryBox(f.index, this, Picture1);
        box->setFont(boxFont(f.terminalFont));
        box->setToolTip(f.tooltip);
        box->setMaxLength(f.maxLength > 0 ? f.maxLength : 32767);
        box->setAlignment(f.rightAligned ? Qt::AlignRight : Qt::AlignLeft);
        box->setTextMargins(0, 0, 0, 0);
        if (f.index == 35 || f.index == 37 || f.index == 39) {
            // The other profits are named in the box itself, in blue; an empty box looks as
            // editable as any other and says what it is for.
            QPalette palette = box->palette();
            palette.setColor(QPalette::Text, Qt::blue);
            box->setPalette(palette);
            box->setPlaceholderText(QStringLiteral("Other Profit %1").arg((f.index - 33) / 2));
        }
        txtZEL.append(box);
        place(box, {f.left, f.top, f.width, f.height}, f.tag);
        const bool sideCaption = !f.caption.isEmpty() && (f.index < 1 || f.index > 4);
        if (sideCaption)
            caption(QStringLiteral("lblZEL_%1").arg(f.index), f.caption, f.left - 60, f.top,
                    f.height);
    }
    // The buyer and spouse rows share column headings over the boxes and row headings.
    for (int column : {FieldTable::lastName, FieldTable::lastName + 1}) {
        const EntryField &f = FieldTable::at(column);
        QLabel *heading = caption(QStringLiteral("lblZEL_%1").arg(column), f.caption, 0, 940, 195,
                                  Qt::AlignLeft | Qt::AlignVCenter);
        placed.last().design.left = f.left;
        heading->move(twipsToPixels(f.left), heading->y());
    }
    caption(QStringLiteral("lblBuyer"), QStringLiteral("BUYER"), 1620, 1160, 270);
    caption(QStringLiteral("lblSpouse"), QStringLiteral("SPOUSE"), 1620, 1460, 270);

    txtLNmKey = new QLineEdit(Picture1);
    txtLNmKey->setObjectName(QStringLiteral("txtLNmKey"));
    txtLNmKey->setEnabled(false);
    txtLNmKey->setFont(boxFont(false));
    place(txtLNmKey, {1680, 120, 1160, 240}, QStringLiteral("F:W%"));
    caption(QStringLiteral("lblLNmKey"), QStringLiteral("LName Key"), 1620, 120, 240);

    chkDelivered = new QCheckBox(QStringLiteral("Delivered"), Picture1);
    chkDelivered->setObjectName(QStringLiteral("chkDelivered"));
    chkDelivered->setToolTip(QStringLiteral("Check Box if Vehicle Has Been Delivered"));
    chkDelivered->setFont(captionFont());
    place(chkDelivered, {2940, 3640, 1200, 240}, QStringLiteral("F:W%"));

    auto total = [&](const QString &name, const QString &text, const QString &tip, int top) {
        auto *label = new QLabel(Picture1);
        label->setObjectName(name);
        label->setToolTip(tip);
        label->setFont(boxFont(false));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        place(label, {8400, top, 960, 240}, QStringLiteral("F:W%"));
        caption(name + QStringLiteral("_caption"), text, 8340, top, 240);
        return label;
    };
    lblTtlFIRes = total(QStringLiteral("lblTtlFIRes"), QStringLiteral("Total FI Reserve"),
                        QStringLiteral("Shows Total Finance and Insurance Reserve"), 4850);
    lblTtlPrft = total(QStringLiteral("lblTtlPrft"), QStringLiteral("Total Profit"),
                       QStringLiteral("Shows Total of All Profit"), 5610);

    dtaZEL = new NavigationBar(Picture1);
    dtaZEL->setCaption(QStringLiteral("RECORD"));
    place(dtaZEL, {2900, 100, 2500, 300}, QStringLiteral("F:"));
    connect(dtaZEL, &NavigationBar::moveRequested, this, &frmZEL::dtaZEL_Move);

    auto button = [&](const QString &name, const QString &text, const QString &tip, int left,
                      int top, int width) {
        auto *b = new QPushButton(text, Picture1);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setFont(captionFont());
        place(b, {left, top, width, 255}, QStringLiteral("F:"));
        return b;
    };
    cmdAdd = button("cmdAdd", "&Add", "Add New Record to DataBase", 2900, 480, 660);
    cmdDelete = button("cmdDelete", "&Delete", "Delete Current Record", 3620, 480, 900);
    cmdFind = button("cmdFind", "Find", "Find Record", 4580, 480, 780);
    cmdCancel = button("cmdCancel", "&Cancel", "Exit Add Record without Saving", 5420, 480, 800);
    cmdSave = button("cmdSave", "&Save", "Save Record Being Added", 5540, 120, 800);
    connect(cmdAdd, &QPushButton::clicked, this, &frmZEL::cmdAdd_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmZEL::cmdDelete_Click);
    connect(cmdFind, &QPushButton::clicked, this, &frmZEL::cmdFind_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmZEL::cmdCancel_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmZEL::cmdSave_Click);
    cmdCancel->setEnabled(false);
    cmdSave->setEnabled(false);

    // Tab runs through the main fields and the panel back to Date Sold; the description boxes,
    // the buttons, Delivery Date and the check box come after the panel.
    QList<QWidget *> order;
    for (int i = 0; i <= 13; ++i)
        order << txtZEL[i];
    order << txtZEL[15] << txtZEL[14];
    for (int i = 16; i <= 34; ++i)
        order << txtZEL[i];
    order << txtZEL[36] << txtZEL[38] << txtZEL[40] << txtZEL[41] << txtZEL[43] << Picture1
          << txtZEL[35] << txtZEL[37] << txtZEL[39] << cmdAdd << cmdDelete << cmdFind << cmdCancel
          << cmdSave << txtZEL[42] << chkDelivered;
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void frmZEL::Form_Load() {
    ErrorTrap trap(QStringLiteral("ZEL - FORM LOAD"));
    AppSettings &settings = appSettings();
    trap.run([&] {
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->geometry();
            const QSize form =
                formSizeForScreen(QSize(pixelsToTwips(area.width()), pixelsToTwips(area.height())));
            // The form's size is the window's with its frame, and stays on the screen.
            new FrameFit(this, QSize(twipsToPixels(form.width()), twipsToPixels(form.height())));
            Form_Resize(); // a window not shown yet gets its resize event only when shown
        }
        AdjToScreen();
        fitPanel();
    });
    settings.TodayText = Clock::todayText();
    trap.run([&] { session.open(dealDatabase()); });
    CalcTotals();
    setWindowTitle(entryCaption(settings.VersionText, settings.DealerName));
    settings.AddMode = false;
    settings.ImportBusy = false;
    trap.report();
}

void frmZEL::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmZEL::Form_Resize() {
    const QSize frame = frameGeometry().size();
    panel =
        panelSizeForForm(QSize(pixelsToTwips(frame.width()), pixelsToTwips(frame.height())), panel);
}

void frmZEL::fitPanel() {
    // The panel fills the visible area and holds every control, with a small edge; a scroll bar
    // needed one way takes room from the other.
    const int edge = 6;
    const QRect used = Picture1->childrenRect();
    const QSize need(used.right() + 1 + edge, used.bottom() + 1 + edge);
    const QSize view = scroller->maximumViewportSize();
    const int bar = scroller->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QSize size = view.expandedTo(need);
    if (need.width() > view.width())
        size.setHeight(qMax(need.height(), view.height() - bar));
    if (need.height() > view.height())
        size.setWidth(qMax(need.width(), view.width() - bar));
    Picture1->resize(size);
}

void frmZEL::AdjToScreen() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const int screenHeight = pixelsToTwips(screen->geometry().height());
    for (const Placed &p : placed) {
        const FitResult fit =
            fitControl(p.design, p.tag, designPanelFromTag(panelTag), panel, screenHeight);
        if (fit.fontTo8pt) {
            QFont font = p.widget->font();
            font.setPointSizeF(8);
            p.widget->setFont(font);
        }
        p.widget->setGeometry(pixels(fit.rect));
    }
}

// ---- the binding's operations

bool frmZEL::leaveRecord() {
    if (session.adding())
        return false; // nothing leaves the new record but Save and Cancel
    // The focused box is left first, so its text is completed before the deal is written.
    leaveFocusedBox();
    EntryStep step;
    if (session.leave(onScreen(), step))
        return true;
    apply(step);
    return false;
}

void frmZEL::dtaZEL_Move(int action) {
    if (session.adding() || session.empty())
        return;
    leaveFocusedBox();
    apply(session.move(EntrySession::Action(action), onScreen()));
}

void frmZEL::apply(const EntryStep &step) {
    if (cmdCancel->isEnabled() != session.adding())
        setBrowseMode(!session.adding());
    if (step.focusDateSold)
        focusDateSold();
    if (step.message)
        Prompter::current().msgBox(step.message->text, step.message->style, step.message->title);
}

void frmZEL::Refresh() {
    session.open(dealDatabase());
}

void frmZEL::showDeal(const ShownDeal &deal) {
    for (int i = 0; i < FieldTable::count; ++i)
        showText(txtZEL[i], deal.boxes[i]);
    showText(txtLNmKey, deal.lnKey);
    chkDelivered->setChecked(deal.delivered);
    // Whenever a deal is shown, its totals are its own.
    CalcTotals();
}

ShownDeal frmZEL::onScreen() const {
    ShownDeal deal;
    for (int i = 0; i < FieldTable::count; ++i)
        deal.boxes[i] = txtZEL[i]->text();
    deal.lnKey = txtLNmKey->text();
    deal.delivered = chkDelivered->isChecked();
    return deal;
}

// ---- the boxes

bool frmZEL::txtZEL_KeyDown(int index, int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_Delete && (modifiers & Qt::AltModifier)) {
        txtZEL[index]->clear();
        return true;
    }
    if (key == Qt::Key_F10) {
        showText(txtZEL[index], EntryText);
        return true;
    }
    bool acted = false;
    SpecialKeys(key, modifiers, acted);
    return acted;
}

bool frmZEL::txtZEL_KeyPress(int index, int &keyAscii) {
    EntryBox *box = txtZEL[index];
    const QChar kind = FieldTable::kindOf(index);
    const int typed = keyAscii;
    if (!ValidKey(kind, keyAscii))
        return false;
    if (replacesField(kind, typed,
                      {box->cursorPosition(), box->hasSelectedText() ? box->selectionStart() : -1,
                       int(box->text().size()), box->maxLength()}))
        box->clear();
    return true;
}

void frmZEL::SpecialKeys(int key, Qt::KeyboardModifiers modifiers, bool &acted) {
    switch (specialKeyAction(key, modifiers)) {
    case NavAction::Next:
        acted = true;
        if (!session.atEnd())
            dtaZEL_Move(3);
        break;
    case NavAction::Previous:
        acted = true;
        if (!session.atStart())
            dtaZEL_Move(2);
        break;
    case NavAction::Last:
        if (!session.atEnd()) {
            acted = true;
            dtaZEL_Move(4);
        }
        break;
    case NavAction::First:
        if (!session.atStart()) {
            acted = true;
            dtaZEL_Move(1);
        }
        break;
    case NavAction::OpenSettings: // the window's shortcut opens it
    case NavAction::None:
        break;
    }
}

void frmZEL::txtZEL_GotFocus(int index) {
    ErrorTrap trap(QStringLiteral("ZEL - ZEL TXT"));
    EntryBox *box = txtZEL[index];
    if (index == FieldTable::dateSold) {
        if (session.atEnd() && !session.adding())
            cmdAdd_Click();
        else
            CalcTotals();
        for (int date : {FieldTable::dateSold, FieldTable::delivery}) {
            const QDate d = QDate::fromString(txtZEL[date]->text().trimmed(), "M/d/yyyy");
            if (d.isValid())
                showText(txtZEL[date], formatDate(d, QStringLiteral("mm/dd/yyyy")));
        }
    }
    const QChar kind = FieldTable::kindOf(index);
    if (kind == QLatin1Char('N') || kind == QLatin1Char('V')) {
        box->setText(entryText(index, box->text()));
        box->setCursorPosition(0);
    }
    EntryText = box->text();
    trap.report();
}

void frmZEL::txtZEL_LostFocus(int index) {
    ErrorTrap trap(QStringLiteral("ZEL - ZEL TXT"));
    EntryBox *box = txtZEL[index];
    trap.run([&] {
        showText(box, leaveText(index, box->text()));
        if (index == FieldTable::lastName || index == FieldTable::stockNumber)
            showText(txtLNmKey, lnKey(txtZEL[FieldTable::lastName]->text(),
                                      txtZEL[FieldTable::stockNumber]->text()));
    });
    CalcTotals();
    EntryText.clear();
    trap.report();
}

void frmZEL::CalcTotals() {
    ErrorTrap trap(QStringLiteral("ZEL - CALC"));
    QStringList texts;
    for (const EntryBox *box : txtZEL)
        texts << box->text();
    totals = ::CalcTotals(texts, totals, &trap);
    lblTtlFIRes->setText(totals.fiReserveCaption);
    lblTtlPrft->setText(totals.profitCaption);
    trap.report();
}

namespace {
// The focus lent to a message box, a dialog, a menu or the menu bar (Alt pressed) comes back:
// the box keeps the screen's focus meanwhile.
bool passingFocus(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
           reason == Qt::MenuBarFocusReason;
}
} // namespace

void frmZEL::boxFocusIn(int index) {
    if (focusedBox == index)
        return; // back from a message box
    if (focusedBox >= 0) {
        const int left = focusedBox; // left while the window was not active
        focusedBox = -1;
        txtZEL_LostFocus(left);
    }
    focusedBox = index;
    txtZEL_GotFocus(index);
}

void frmZEL::leaveFocusedBox() {
    if (focusedBox < 0)
        return;
    const int left = focusedBox;
    focusedBox = -1;
    txtZEL_LostFocus(left);
    quietPanel = true;
    Picture1->setFocus(Qt::OtherFocusReason);
    quietPanel = false;
}

void frmZEL::boxFocusOut(int index, Qt::FocusReason reason) {
    if (passingFocus(reason) || focusedBox != index)
        return;
    focusedBox = -1;
    txtZEL_LostFocus(index);
}

bool frmZEL::eventFilter(QObject *watched, QEvent *event) {
    if (watched == scroller && event->type() == QEvent::Resize)
        fitPanel();
    if (watched == Picture1 && event->type() == QEvent::FocusIn && !quietPanel &&
        !passingFocus(static_cast<QFocusEvent *>(event)->reason())) {
        if (focusedBox >= 0) {
            const int left = focusedBox; // left while the window was not active
            focusedBox = -1;
            txtZEL_LostFocus(left);
        }
        Picture1_GotFocus();
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmZEL::Picture1_GotFocus() {
    CalcTotals();
    focusDateSold();
}

void frmZEL::focusDateSold() {
    txtZEL[FieldTable::dateSold]->setFocus(Qt::OtherFocusReason);
}

// ---- the record workflow

void frmZEL::setBrowseMode(bool browse) {
    cmdAdd->setEnabled(browse);
    cmdFind->setEnabled(browse);
    cmdDelete->setEnabled(browse);
    cmdCancel->setEnabled(!browse);
    cmdSave->setEnabled(!browse);
    mnuAddRec->setEnabled(browse);
    mnuFindRecord->setEnabled(browse);
    mnuDelRecord->setEnabled(browse);
    mnuHistory->setEnabled(browse);
    mnuReports->setEnabled(browse);
    mnuReports->menuAction()->setEnabled(browse);
    dtaZEL->setCaption(browse ? browseCaption : addCaption);
}

void frmZEL::cmdAdd_Click() {
    if (!session.adding() && !session.atEnd())
        leaveFocusedBox();
    apply(session.add(onScreen()));
}

void frmZEL::mnuAddRec_Click() {
    ErrorTrap trap(QStringLiteral("ZEL - ADD REC MNU"));
    trap.run([&] { cmdAdd_Click(); });
    trap.report();
}

void frmZEL::cmdSave_Click() {
    leaveFocusedBox(); // completes the box being typed in
    apply(session.save(onScreen()));
}

void frmZEL::cmdCancel_Click() {
    apply(session.cancel());
}

void frmZEL::cmdDelete_Click() {
    apply(session.remove(onScreen()));
}

void frmZEL::mnuDelRecord_Click() {
    ErrorTrap trap(QStringLiteral("ZEL - DEL REC MNU"));
    trap.run([&] { cmdDelete_Click(); });
    trap.report();
}

void frmZEL::cmdFind_Click() {
    if (!session.adding())
        leaveFocusedBox();
    apply(session.find(onScreen()));
}

void frmZEL::mnuFindRecord_Click() {
    ErrorTrap trap(QStringLiteral("ZEL - FIND REC MNU"));
    trap.run([&] { cmdFind_Click(); });
    trap.report();
}

void frmZEL::mnuReport_Click(int index) {
    ErrorTrap trap(QStringLiteral("ZEL - REPORT MNU"));
    if (index == 5)
        return; // the letters submenu
    trap.run([&] {
        frmRpt report(index + 1, 0, this);
        report.exec();
    });
    trap.report();
}

void frmZEL::mnuLetter_Click(int index) {
    ErrorTrap trap(QStringLiteral("ZEL - LETTER MNU"));
    trap.run([&] {
        auto *letters = new frmRpt(6, index, this);
        letters->setAttribute(Qt::WA_DeleteOnClose);
        letters->show();
    });
    trap.report();
}

// The sheet shows the screen as it stands, saved or not, captions and totals included.
QStringList frmZEL::sheetOnScreen() const {
    QStringList captions;
    for (int i = 0; i < FieldTable::count; ++i) {
        const auto *label = Picture1->findChild<QLabel *>(QStringLiteral("lblZEL_%1").arg(i));
        captions << (label != nullptr ? label->text() : FieldTable::at(i).caption);
    }
    return dealSheetLines(
        {windowTitle(), onScreen().boxes, captions, lblTtlFIRes->text(), lblTtlPrft->text()});
}

void frmZEL::mnuPrintRec_Click() {
    printDealSheet(sheetOnScreen(), Prompter::current());
}

void frmZEL::mnuExportRec_Click() {
    ErrorTrap trap(QStringLiteral("ZEL - EXPORT REC MNU"));
    const QString stock = onScreen().boxes.value(FieldTable::stockNumber);
    const auto chosen = Prompter::current().chooseExportFile(
        QDir::current().absoluteFilePath(QStringLiteral("Deal %1.pdf").arg(stock.trimmed())), true);
    if (!chosen)
        return;
    const bool written = trap.run([&] {
        if (!chosen->fileName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
            throw VolmeraError(QStringLiteral("A deal sheet is exported as a PDF: name the file "
                                              ".pdf."));
        writePdf(pagesOf(sheetOnScreen()), chosen->fileName,
                 {chosen->a4 ? PdfOptions::A4 : PdfOptions::Letter, {}});
    });
    if (written)
        Prompter::current().msgBox(QStringLiteral("DEAL SHEET EXPORTED TO ") +
                                       QFileInfo(chosen->fileName).absoluteFilePath(),
                                   Style::Information);
    trap.report();
}

void frmZEL::mnuHistory_Click() {
    if (session.empty())
        return;
    ErrorTrap trap(QStringLiteral("ZEL - HISTORY MNU"));
    trap.run([&] {
        frmHistory history(dealDatabase(), session.deal().boxes[FieldTable::stockNumber], this);
        history.exec();
    });
    trap.report();
}

void frmZEL::mnuAbout_Click() {
    ErrorTrap trap(QStringLiteral("ZEL - ABOUT MNU"));
    trap.run([&] {
        appSettings().HelpTopic = Help::AboutTopic;
        frmHelp help(this);
        help.exec();
    });
    trap.report();
}

void frmZEL::mnuRecHlp_Click() {
    ErrorTrap trap(QStringLiteral("ZEL - REC HLP MNU"));
    trap.run([&] {
        appSettings().HelpTopic = Help::RecordKeysTopic;
        frmHelp help(this);
        help.exec();
    });
    trap.report();
}

void frmZEL::mnuExit_Click() {
    ErrorTrap trap(QStringLiteral("ZEL - EXIT MNU"));
    trap.run([&] { close(); });
    trap.report();
}

void frmZEL::closeEvent(QCloseEvent *event) {
    // While the settings dialog holds the window disabled, its close box does nothing either.
    if (!isEnabled() && event->spontaneous()) {
        event->ignore();
        return;
    }
    AppSettings &settings = appSettings();
    if (settings.AddMode) {
        // A new deal is stored only by Save: leaving it behind is the user's choice.
        const int answer = Prompter::current().msgBox(
            QStringLiteral("YOU ARE ABOUT TO LOSE THIS RECORD.\nIS THIS WHAT YOU WANT TO DO"),
            Style::YesNo);
        if (answer != Answer::Yes) {
            event->ignore();
            return;
        }
        session.dropNew();
    } else if (session.binding().isOpen() && !leaveRecord()) {
        event->ignore(); // edits the store refused stay on screen
        return;
    }
    setBrowseMode(true);
    session.binding().release();
    QMainWindow::closeEvent(event);
}
