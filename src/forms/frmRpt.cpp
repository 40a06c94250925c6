#include "forms/frmRpt.h"

#include "base/AppSettings.h"
#include "base/ErrorTrap.h"
#include "base/PathMapping.h"
#include "domain/entry/DateCheck.h"
#include "domain/entry/KeyRules.h"
#include "domain/reports/Labels.h"
#include "domain/reports/Letters.h"
#include "domain/reports/PaperPrint.h"
#include "domain/reports/ReportPrinting.h"
#include "domain/reports/Reports.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>

namespace {
int px(int twips) {
    return (twips + 7) / 15;
}

// The report lists are fixed-pitch so that their columns line up.
QFont listFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(9);
    return font;
}

// A heading over the report list, placed by the character column it stands over.
struct Heading {
    const char *name;
    const char *text;
    int row;
    int column;
    int width; // when not 0, the text is right-aligned within this many columns
};
} // namespace

frmRpt::frmRpt(int report, int letter, QWidget *parent)
    : QDialog(parent), report(*reportDescriptor(report)), letter(qBound(0, letter, 2)) {
    setObjectName(QStringLiteral("frmRpt"));
    setWindowTitle(QStringLiteral("REPORT"));
    buildConditionsPanel();
    pbxReport.append(pbxCond);
    for (int panel = 1; panel <= 5; ++panel)
        pbxReport.append(buildReportPanel(panel));
    buildLettersPanel();
    cboSM = new QComboBox(this);
    cboSM->setObjectName(QStringLiteral("cboSM"));
    cboSM->hide(); // shown by printing
    buildPrintPanel();
    Form_Load();
}

void frmRpt::buildConditionsPanel() {
    pbxCond = new QWidget(this);
    pbxCond->setObjectName(QStringLiteral("pbxReport_0"));
    pbxCond->setGeometry(0, 0, px(5200), px(3100));
    auto *heading = new QLabel(QStringLiteral("CONDITIONS"), pbxCond);
    heading->setObjectName(QStringLiteral("Label3"));
    heading->setGeometry(0, px(40), px(5200), px(240));
    heading->setAlignment(Qt::AlignCenter);

    auto frame = [this](const char *name, const char *title, QRect twips) {
        auto *box = new QGroupBox(QString::fromLatin1(title), pbxCond);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height()));
        return box;
    };
    auto options = [](QGroupBox *box, const QString &name, const QStringList &texts,
                      QList<QRadioButton *> &into) {
        auto *group = new QButtonGroup(box);
        for (int i = 0; i < texts.size(); ++i) {
            auto *opt = new QRadioButton(texts[i], box);
            opt->setObjectName(QStringLiteral("%1_%2").arg(name).arg(i));
            opt->setGeometry(px(120), px(260 + 240 * i), box->width() - px(160), px(240));
            group->addButton(opt, i);
            into.append(opt);
        }
        return group;
    };
    fraVeh = frame("fraVeh", "Print For", {120, 320, 1500, 1100});
    options(fraVeh, QStringLiteral("optVeh"), {"New", "Used", "All"}, optVeh);
    optVeh[2]->setChecked(true);
    fraBy = frame("fraBy", "Print By", {1740, 320, 1700, 1100});
    options(fraBy, QStringLiteral("optPrtBy"), {"Dealership", "Salesperson", "ASM"}, optPrtBy);
    optPrtBy[0]->setChecked(true);
    optPrtBy[2]->hide();

    fraDates = frame("fraDates", "Date Range", {3560, 320, 1520, 1700});
    auto dateBox = [this](const char *name, const char *label, const char *tip, int top) {
        auto *caption = new QLabel(QString::fromLatin1(label), fraDates);
        caption->setGeometry(px(120), px(top), px(1300), px(200));
        auto *box = new QLineEdit(fraDates);
        box->setObjectName(QString::fromLatin1(name));
        box->setToolTip(QString::fromLatin1(tip));
        box->setMaxLength(10);
        box->setGeometry(px(120), px(top + 210), px(1200), px(285));
        box->installEventFilter(this);
        return box;
    };
    txtBDT = dateBox("txtBDT", "Beginning", "Enter Beginning Date (##/##/####)", 260);
    txtEDT = dateBox("txtEDT", "Ending", "Enter Ending Date (##/##/####)", 800);
    txtBDT->setText(QStringLiteral("01/01/1900"));
    chkAnnvYr = new QCheckBox(QStringLiteral("Include Year"), fraDates);
    chkAnnvYr->setObjectName(QStringLiteral("chkAnnvYr"));
    chkAnnvYr->setGeometry(px(120), px(1360), px(1350), px(260));

    fraFIMgr = frame("fraFIMgr", "FI Mgr.", {120, 1800, 1500, 700});
    txtFIMgr = new QLineEdit(QStringLiteral("ALL"), fraFIMgr);
    txtFIMgr->setObjectName(QStringLiteral("txtFIMgr"));
    txtFIMgr->setMaxLength(3);
    txtFIMgr->setGeometry(px(120), px(280), px(700), px(285));
    fraModel = frame("fraModel", "Model", {1740, 1800, 1500, 700});
    txtModel = new QLineEdit(fraModel);
    txtModel->setObjectName(QStringLiteral("txtModel"));
    txtModel->setToolTip(QStringLiteral("Enter Model Name"));
    txtModel->setMaxLength(8);
    txtModel->setGeometry(px(120), px(280), px(1100), px(285));
    fraPrtTo = frame("fraPrtTo", "Print Format", {1740, 1500, 1700, 800});
    auto *formats =
        options(fraPrtTo, QStringLiteral("optPrtFmt"), {"Line Format", "Label Format"}, optPrtFmt);
    optPrtFmt[0]->setChecked(true);
    connect(formats, &QButtonGroup::idClicked, this, &frmRpt::optPrtFmt_Click);
    fraFIMgr->hide();
    fraModel->hide();
    fraPrtTo->hide();

    cmdCndOK = new QPushButton(QStringLiteral("&OK"), pbxCond);
    cmdCndOK->setObjectName(QStringLiteral("cmdCndOK"));
    cmdCndOK->setToolTip(QStringLiteral("Accept Conditions"));
    cmdCndOK->setGeometry(px(3560), px(2160), px(700), px(375));
    cmdCndOK->setDefault(true);
    connect(cmdCndOK, &QPushButton::clicked, this, &frmRpt::cmdCndOK_Click);
    auto *exit = new QPushButton(QStringLiteral("&Exit"), pbxCond);
    exit->setObjectName(QStringLiteral("cmdExit_0"));
    exit->setToolTip(QStringLiteral("Exit Reports"));
    exit->setGeometry(px(4360), px(2160), px(700), px(375));
    connect(exit, &QPushButton::clicked, this, &frmRpt::cmdExit_Click);
}

QWidget *frmRpt::buildReportPanel(int panel) {
    static const char *const lists[] = {"", "lstFILog", "lstSum", "lstGSR", "lstComm", "lstAny"};
    static const char *const dates[] = {"",        "lblFILogDT", "lblSumDT",
                                        "lblGSDT", "lblCommDT",  "lblAnyDT"};
    auto *pbx = new QWidget(this);
    pbx->setObjectName(QStringLiteral("pbxReport_%1").arg(panel));
    pbx->setGeometry(0, 0, px(9480), px(6000));
    pbx->hide();
    const QFont font = listFont();
    const int charWidth = QFontMetrics(font).horizontalAdvance(QLatin1Char('0'));
    const int listLeft = px(120), textLeft = listLeft + 4;
    auto label = [&](const QString &name, const QString &text, int x, int y, int w = 0,
                     bool mono = false) {
        auto *l = new QLabel(text, pbx);
        l->setObjectName(name);
        if (mono)
            l->setFont(font);
        l->adjustSize();
        l->move(x, y);
        if (w > 0)
            l->resize(w, l->height());
        return l;
    };

    // A panel opens with the heading of its first report.
    QString heading;
    for (const ReportDescriptor &r : reportTable()) {
        if (r.panel == panel && heading.isEmpty())
            heading = r.title;
    }
    auto *title = label(QStringLiteral("lblTitle_%1").arg(panel), heading, 0, px(60), px(9480));
    title->setAlignment(Qt::AlignCenter);
    if (panel == 5)
        lblHeading5 = title;
    label(QStringLiteral("lblFrom_%1").arg(panel), QStringLiteral("From"), px(2400), px(360));
    label(QStringLiteral("lblTo_%1").arg(panel), QStringLiteral("To"), px(4300), px(360));
    for (int end = 0; end < 2; ++end)
        dateLabels.append(label(QStringLiteral("%1_%2").arg(QLatin1String(dates[panel])).arg(end),
                                QStringLiteral("00/00/0000"), px(end == 0 ? 2900 : 4650), px(360)));
    classCaption.append(label(QStringLiteral("lblClass_%1").arg(panel),
                              QStringLiteral("New and Used"), px(6600), px(360)));
    if (panel == 1) {
        label(QStringLiteral("lblFIMgrCaption"), QStringLiteral("F&I MGR"), px(120), px(360));
        lblFIMgr = label(QStringLiteral("lblFIMgr"), QStringLiteral("ALL"), px(900), px(360));
    }

    QList<Heading> headings;
    switch (panel) {
    case 1:
        headings = {
            {"lblFLg_0", "Date", 1, 0, 0},           {"lblFLg_1", "Name", 1, 6, 0},
            {"lblFLg_2", "Stock #", 1, 22, 0},       {"lblFLg_3", "Vehicle Description", 1, 31, 0},
            {"lblFLg_4", "Fin.", 0, 58, 0},          {"lblFLg_5", "Src.", 1, 58, 0},
            {"lblFLg_6", "Term", 2, 11, 4},          {"lblFLg_7", "APR", 2, 16, 8},
            {"lblFLg_8", "Fin. Reserve", 2, 25, 9},  {"lblFLg_9", "Srv. Reserve", 2, 35, 9},
            {"lblFLg_10", "Credit Life", 2, 45, 9},  {"lblFLg_11", "Disability", 2, 55, 9},
            {"lblFLg_12", "Other Profit", 2, 65, 9}, {"lblFLg_13", "Deal Total", 2, 75, 9}};
        break;
    case 2:
        headings = {{"lblSum_3", "New and Used", 0, 20, 29}, {"lblSum_4", "Totals", 0, 51, 29},
                    {"lblSum_5", "New", 1, 20, 9},           {"lblSum_6", "Used", 1, 30, 9},
                    {"lblSum_7", "Total", 1, 40, 9},         {"lblSum_8", "New", 1, 51, 9},
                    {"lblSum_9", "Used", 1, 61, 9},          {"lblSum_10", "Total", 1, 71, 9}};
        break;
    case 3:
        headings = {{"lblGSR_4", "Date", 1, 0, 0},
                    {"lblGSR_5", "Name", 1, 6, 0},
                    {"lblGSR_6", "Vehicle Description", 1, 26, 0},
                    {"lblGSR_7", "Gross", 1, 51, 9},
                    {"lblGSR_8", "Pack", 1, 61, 9},
                    {"lblGSR_9", "Net", 1, 71, 9}};
        break;
    case 4:
        headings = {
            {"lblComm_4", "Salesperson", 1, 0, 0},    {"lblComm_5", "Total New", 1, 22, 9},
            {"lblComm_6", "Total Used", 1, 32, 9},    {"lblComm_7", "Total New", 0, 44, 10},
            {"lblComm_8", "Commissions", 1, 44, 10},  {"lblComm_9", "Total Used", 0, 57, 10},
            {"lblComm_10", "Commissions", 1, 57, 10}, {"lblComm_11", "Total", 0, 70, 10},
            {"lblComm_12", "Commissions", 1, 70, 10}};
        break;
    default:
        break;
    }
    for (const Heading &h : headings) {
        QString text = QString::fromLatin1(h.text);
        if (h.width > 0)
            text = text.rightJustified(h.width);
        QLabel *l = label(QString::fromLatin1(h.name), text, textLeft + charWidth * h.column,
                          px(660 + 200 * h.row), 0, true);
        if (panel == 4 && h.column == 0)
            commNameHeading = l;
    }

    auto *list = new QListView(pbx);
    list->setObjectName(QString::fromLatin1(lists[panel]));
    list->setFont(font);
    list->setUniformItemSizes(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setGeometry(listLeft, px(1300), px(9240), px(3700));
    auto *model = new QStringListModel(list);
    list->setModel(model);
    reportList.append(list);
    models.append(model);

    auto totals = [&](const char *caption, const char *name, int column, int top) {
        auto *c = label(QStringLiteral("%1_caption").arg(QLatin1String(name)),
                        QString::fromLatin1(caption), 0, top);
        QLabel *t = label(QString::fromLatin1(name), QString(), textLeft + charWidth * column, top,
                          charWidth * 60, true);
        c->move(t->x() - c->width() - 8, top);
        return t;
    };
    if (panel == 1)
        lblFILogTtl = totals("Total", "lblFILogTtl", 25, px(5060));
    if (panel == 3)
        lblGSRTtl = totals("Total", "lblGSRTtl", 51, px(5060));
    if (panel == 4) {
        lblCommTtl = totals("Total", "lblCommTtl", 22, px(5060));
        lblCommAv = totals("Average Commission", "lblCommAv", 44, px(5300));
    }

    auto *print = new QPushButton(QStringLiteral("&Print"), pbx);
    print->setObjectName(QStringLiteral("cmdPrint_%1").arg(panel - 1));
    print->setGeometry(px(6900), px(5560), px(1000), px(375));
    connect(print, &QPushButton::clicked, this, [this, panel] { cmdPrint_Click(panel - 1); });
    auto *exit = new QPushButton(QStringLiteral("&Exit"), pbx);
    exit->setObjectName(QStringLiteral("cmdExit_%1").arg(panel));
    exit->setGeometry(px(8100), px(5560), px(1000), px(375));
    connect(exit, &QPushButton::clicked, this, &frmRpt::cmdExit_Click);
    return pbx;
}

void frmRpt::buildLettersPanel() {
    auto *pbx = new QWidget(this);
    pbx->setObjectName(QStringLiteral("pbxReport_6"));
    pbx->setGeometry(0, 0, px(9480), px(6000));
    pbx->hide();
    lblLTR = new QLabel(QStringLiteral("Dealership Follow-up Letter for:"), pbx);
    lblLTR->setObjectName(QStringLiteral("lblLTR_0"));
    lblLTR->setGeometry(px(120), px(60), px(6000), px(240));
    lstLTR = new QListView(pbx);
    lstLTR->setObjectName(QStringLiteral("lstLTR"));
    lstLTR->setFont(listFont());
    lstLTR->setUniformItemSizes(true);
    lstLTR->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstLTR->setGeometry(px(120), px(340), px(9240), px(1700));
    letterModel = new QStringListModel(lstLTR);
    lstLTR->setModel(letterModel);
    txtLTR = new QPlainTextEdit(pbx);
    txtLTR->setObjectName(QStringLiteral("txtLTR"));
    txtLTR->setFont(listFont());
    txtLTR->setGeometry(px(120), px(2120), px(9240), px(3360));
    auto button = [&](const char *name, const char *text, int left) {
        auto *b = new QPushButton(QString::fromLatin1(text), pbx);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(px(left), px(5560), px(1000), px(375));
        return b;
    };
    connect(button("cmdLtrOK", "&OK", 5700), &QPushButton::clicked, this, &frmRpt::cmdLtrOK_Click);
    connect(button("cmdPrtLtr", "&Print", 6900), &QPushButton::clicked, this,
            &frmRpt::cmdPrtLtr_Click);
    connect(button("cmdExit_6", "&Exit", 8100), &QPushButton::clicked, this,
            &frmRpt::cmdExit_Click);
    pbxReport.append(pbx);
}

void frmRpt::Form_Load() {
    ErrorTrap trap(QStringLiteral("REPORT - FORM LOAD"));
    resize(px(5200), px(3100));
    txtEDT->setText(appSettings().TodayText);
    // A letters window names the letter it writes.
    const LetterDescriptor *written = letterDescriptor(letter);
    setWindowTitle(report.accepts & Accepts::Letter && written ? written->caption : report.caption);
    // Only what the report takes can be chosen; its own conditions are shown.
    const bool newUsed = report.accepts & Accepts::NewUsed;
    optVeh[0]->setEnabled(newUsed);
    optVeh[1]->setEnabled(newUsed);
    optPrtBy[1]->setEnabled(report.accepts & Accepts::Salesperson);
    optPrtBy[2]->setVisible(report.accepts & Accepts::ASM);
    fraFIMgr->setVisible(report.accepts & Accepts::FIMgr);
    fraPrtTo->setVisible(report.accepts & Accepts::Format);
    chkAnnvYr->setVisible(report.accepts & Accepts::IncludeYear);
    if (report.accepts & Accepts::Model) {
        fraModel->move(px(120), fraModel->y());
        fraModel->show();
    }
    trap.report();
}

ReportConditions frmRpt::conditions() const {
    ReportConditions c;
    c.report = report.selector;
    c.letter = letter;
    c.BDT = txtBDT->text();
    c.EDT = txtEDT->text();
    for (int i = 0; i < 3; ++i) {
        if (optVeh[i]->isChecked())
            c.Veh = i;
        if (optPrtBy[i]->isChecked())
            c.PrtBy = i;
    }
    c.FIMgr = txtFIMgr->text();
    c.Model = txtModel->text();
    c.AnnvYr = chkAnnvYr->isVisibleTo(this) && chkAnnvYr->isChecked();
    c.PrtFmt =
        optPrtFmt[1]->isChecked() ? ReportConditions::LabelFormat : ReportConditions::LineFormat;
    c.SM = cboSM->currentText().isEmpty() ? QStringLiteral("ALL") : cboSM->currentText();
    return c;
}

void frmRpt::cmdCndOK_Click() {
    const ReportConditions c = conditions();
    const int panel = report.panel;
    pbxCond->hide();
    pbxCond->setEnabled(false);
    move(0, 24);
    resize(px(9600), px(6100));
    QWidget *pbx = pbxReport[panel];
    pbx->show();
    pbx->setEnabled(true);
    if (panel <= 5) {
        dateLabels[2 * (panel - 1)]->setText(c.BDT);
        dateLabels[2 * (panel - 1) + 1]->setText(c.EDT);
        dateLabels[2 * (panel - 1)]->adjustSize();
        dateLabels[2 * (panel - 1) + 1]->adjustSize();
        QLabel *cls = classCaption[panel - 1];
        cls->setText(panelCaptions(c).vehicleClass);
        cls->adjustSize();
        models[panel - 1]->setStringList({});
    }
    if (panel == 1)
        lblFIMgr->setText(c.FIMgr);
    if (panel == 4) {
        lblCommTtl->clear();
        lblCommAv->clear();
        if (c.PrtBy == ReportConditions::ASM)
            commNameHeading->setText(QStringLiteral("ASM") + QString(41, QLatin1Char(' ')));
    }
    if (panel == 5)
        lblHeading5->setText(report.title);
    if (panel == 6)
        lblLTR->setText(letterDescriptor(letter)->heading);
    cboSM->clear();
    if (c.PrtBy == ReportConditions::Salesperson)
        cboSM->addItem(QStringLiteral("ALL"));
    repaint();

    QApplication::setOverrideCursor(Qt::WaitCursor);
    built = buildReport(c, PathMapping::toLocal(appSettings().DatabasePath), Prompter::current());
    QApplication::restoreOverrideCursor();
    showOutput(panel);
}

void frmRpt::showOutput(int panel) {
    if (panel == 6) {
        letterModel->setStringList(built.lines);
        return;
    }
    models[panel - 1]->setStringList(built.lines);
    for (const auto &[control, caption] : built.totals) {
        if (auto *label = findChild<QLabel *>(control))
            label->setText(caption);
    }
    if (cboSM->count() > 0)
        cboSM->addItems(built.salespeople);
}

void frmRpt::cmdLtrOK_Click() {
    ErrorTrap trap(QStringLiteral("REPORT - LTR OK CMD"));
    const QModelIndex picked = lstLTR->currentIndex();
    if (!picked.isValid() || picked.row() >= built.recipients.size())
        return;
    const AppSettings &settings = appSettings();
    trap.run([&] {
        txtLTR->setPlainText(composeLetter(built.recipients[picked.row()], letter,
                                           settings.TodayText, settings.DealerName));
    });
    trap.report();
}

void frmRpt::cmdPrtLtr_Click() {
    // The letter as it now stands in the box, with the user's edits.
    printLetter(txtLTR->toPlainText(), Prompter::current());
}

void frmRpt::cmdExit_Click() {
    ErrorTrap trap(QStringLiteral("REPORT - EXIT CMD"));
    trap.run([&] { done(QDialog::Accepted); });
    trap.report();
}

void frmRpt::optPrtFmt_Click(int index) {
    ErrorTrap trap(QStringLiteral("REPORT - OPT PRT FMT"));
    // Labels go to the dealership's label printer on continuous paper, never per salesperson.
    optPrtBy[1]->setEnabled(index == ReportConditions::LineFormat);
    chkCont->setChecked(index == ReportConditions::LabelFormat);
    if (index == ReportConditions::LabelFormat)
        optPrtBy[0]->setChecked(true);
    trap.report();
}

bool frmRpt::eventFilter(QObject *watched, QEvent *event) {
    auto *box = qobject_cast<QLineEdit *>(watched);
    if (box == nullptr || (box != txtBDT && box != txtEDT))
        return QDialog::eventFilter(watched, event);
    const bool beginning = box == txtBDT;
    const QString tag =
        beginning ? QStringLiteral("REPORT - BDT TXT") : QStringLiteral("REPORT - EDT TXT");
    if (event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent *>(event)->text();
        if (text.isEmpty())
            return false;
        int key = qMin(int(text.at(0).unicode()), 255);
        const bool accepted = ValidKey(QLatin1Char('D'), key);
        if (!accepted)
            return true;
        if (box->cursorPosition() == 0 || (box->hasSelectedText() && box->selectionStart() == 0))
            box->clear();
        return false;
    }
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            ErrorTrap trap(tag);
            trap.run([&] { dateBoxLeft(box, beginning); });
            trap.report();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmRpt::dateBoxLeft(QLineEdit *box, bool beginning) {
    // A rejected date leaves the box empty; the default comes back when it is left empty.
    if (!box->text().trimmed().isEmpty())
        box->setText(DateCheck(QLatin1Char('D'), box->text()));
    else
        box->setText(beginning ? QStringLiteral("01/01/1900") : appSettings().TodayText);
}

void frmRpt::buildPrintPanel() {
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("pbxReport_8"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setAutoFillBackground(true);
    panel->setGeometry(px(3000), px(1800), px(3600), px(2300));
    panel->hide();
    pbxPrint = panel;
    auto *heading = new QLabel(QStringLiteral("PRINT CONDITIONS"), panel);
    heading->setObjectName(QStringLiteral("lblPrt_0"));
    heading->setGeometry(0, px(80), px(3600), px(240));
    heading->setAlignment(Qt::AlignCenter);
    auto check = [&](const char *name, const char *text, int top) {
        auto *box = new QCheckBox(QString::fromLatin1(text), panel);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(px(240), px(top), px(3200), px(260));
        return box;
    };
    chkCont = check("chkCont", "Run Continuous Paper", 420);
    chkOkiComp = check("chkOkiComp", "OKI Compressed Print", 720);
    chkOkiComp->hide();
    lblPrtSM = new QLabel(QStringLiteral("Salesman To Print List For"), panel);
    lblPrtSM->setObjectName(QStringLiteral("lblPrt_1"));
    lblPrtSM->setGeometry(px(240), px(1020), px(3200), px(240));
    lblPrtSM->hide();
    cboSM->setParent(panel);
    cboSM->setGeometry(px(240), px(1260), px(2400), px(315));
    cboSM->hide();
    auto button = [&](const char *name, const char *text, int left, int width) {
        auto *b = new QPushButton(QString::fromLatin1(text), panel);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(px(left), px(1800), px(width), px(375));
        return b;
    };
    cmdPrtLbls = button("cmdPrtLbls", "&Print 3 Test Labels", 240, 2400);
    cmdPrtLbls->hide();
    connect(cmdPrtLbls, &QPushButton::clicked, this, &frmRpt::cmdPrtLbls_Click);
    connect(button("cmdPrtOK", "&OK", 1200, 1000), &QPushButton::clicked, this,
            &frmRpt::cmdPrtOK_Click);
    connect(button("cmdPrtExit", "&Exit", 2400, 1000), &QPushButton::clicked, this,
            &frmRpt::cmdPrtExit_Click);
}

void frmRpt::cmdPrint_Click(int index) {
    ErrorTrap trap(QStringLiteral("REPORT - PRINT CMD"));
    const std::optional<Prompter::PrinterChoice> printer = Prompter::current().choosePrinter();
    if (!printer)
        return; // cancelled: the report panel stays as it was
    printToFile = printer->toFile;
    const ReportConditions c = conditions();
    trap.run([&] {
        if (c.PrtBy == ReportConditions::Salesperson) {
            lblPrtSM->show();
            cboSM->show();
            cboSM->setCurrentIndex(qMax(0, cboSM->findText(QStringLiteral("ALL"))));
        }
        if (c.PrtFmt == ReportConditions::LabelFormat) {
            cmdPrtLbls->move(cmdPrtLbls->x(), px(1200));
            cmdPrtLbls->show();
        }
        pbxPrint->move(px(3000), px(1800));
        pbxReport[index + 1]->setEnabled(false);
        if (index == 0)
            chkOkiComp->show();
        pbxPrint->show();
        pbxPrint->raise();
        chkCont->setFocus();
    });
    trap.report();
}

void frmRpt::cmdPrtOK_Click() {
    ErrorTrap trap(QStringLiteral("REPORT - PRT OK CMD"));
    trap.run([&] {
        const ReportConditions c = conditions();
        PrintRun run = printRunFor(c, built);
        run.salesperson = c.SM;
        run.continuous = chkCont->isChecked();
        run.compressed = !chkOkiComp->isHidden() && chkOkiComp->isChecked();
        run.toFile = printToFile;
        printReport(run, c.PrtFmt == ReportConditions::LabelFormat);
    });
    cmdPrtExit_Click();
    trap.report();
}

void frmRpt::cmdPrtExit_Click() {
    ErrorTrap trap(QStringLiteral("REPORT - PRT EXIT CMD"));
    trap.run([&] {
        pbxPrint->hide();
        const int panel = report.panel;
        if (panel < 1 || panel > 5)
            return;
        pbxReport[panel]->setEnabled(true);
        if (auto *exit = findChild<QPushButton *>(QStringLiteral("cmdExit_%1").arg(panel)))
            exit->setFocus();
    });
    trap.report();
}

void frmRpt::cmdPrtLbls_Click() {
    PrintTestLabels();
}
