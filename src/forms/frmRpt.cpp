#include "forms/frmRpt.h"

#include "base/AppSettings.h"
#include "base/ErrorTrap.h"
#include "base/PathMapping.h"
#include "domain/entry/DateCheck.h"
#include "domain/entry/KeyRules.h"
#include "domain/export/PdfPages.h"
#include "domain/export/ReportExport.h"
#include "domain/reports/Labels.h"
#include "domain/reports/Letters.h"
#include "domain/reports/Pagination.h"
#include "domain/reports/PaperPrint.h"
#include "domain/reports/ReportPrinting.h"
#include "domain/startup/ZELMain.h"
#include "forms/ChartView.h"

#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QtMath>

// The lines of a built report, each made when the list shows it.
class ReportLinesModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    void setLines(const ReportLines &shown) {
        beginResetModel();
        lines = shown;
        endResetModel();
    }
    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : int(lines.size());
    }
    QVariant data(const QModelIndex &index, int role) const override {
        if (role != Qt::DisplayRole || index.row() < 0 || index.row() >= lines.size())
            return {};
        return lines.at(index.row());
    }

private:
    ReportLines lines;
};

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

// The advance of one character of the list font, fractions of a pixel included: a column
// is placed by multiplying it, so that the error does not add up along a line.
qreal charWidth() {
    return QFontMetricsF(listFont()).horizontalAdvance(QLatin1Char('0'));
}

int columnsWide(int columns) {
    return qCeil(columns * charWidth());
}

// Every line of a fixed-pitch list is as wide as the widest, so that no line is cut short:
// the list scrolls sideways instead. A long list is measured a stretch at a time while the
// window waits for the user, so that its first page shows at once; the lines grow wider
// when a wider one is found.
class LineDelegate : public QStyledItemDelegate {
public:
    explicit LineDelegate(QObject *parent) : QStyledItemDelegate(parent) {
        scan.setInterval(0);
        connect(&scan, &QTimer::timeout, this, [this] { measure(stretch); });
    }
    void fitTo(const ReportLines &shown) {
        lines = shown;
        measured = widest = 0;
        width = 0;
        measure(stretch);
    }
    int lineWidth() const { return width; }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        return {qMax(size.width(), width), size.height()};
    }

private:
    static constexpr qsizetype stretch = 4000;

    void measure(qsizetype count) {
        const qsizetype end = qMin(lines.size(), measured + count);
        for (; measured < end; ++measured)
            widest = qMax(widest, lines.at(measured).size());
        const int wanted = columnsWide(int(widest + 1)) + 8;
        if (wanted != width) {
            width = wanted;
            Q_EMIT sizeHintChanged(QModelIndex());
        }
        if (measured < lines.size())
            scan.start();
        else
            scan.stop();
    }

    ReportLines lines;
    qsizetype measured = 0, widest = 0;
    int width = 0;
    QTimer scan;
};

// A list of report lines, in the fixed-pitch font, shown whole.
QListView *reportListView(QWidget *parent, const QString &name, ReportLinesModel *&model) {
    auto *list = new QListView(parent);
    list->setObjectName(name);
    list->setFont(listFont());
    list->setUniformItemSizes(true);
    list->setTextElideMode(Qt::ElideNone);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setItemDelegate(new LineDelegate(list));
    model = new ReportLinesModel(list);
    list->setModel(model);
    return list;
}

void showLines(QListView *list, ReportLinesModel *model, const ReportLines &lines) {
    model->setLines(lines);
    static_cast<LineDelegate *>(list->itemDelegate())->fitTo(lines);
}

// Labels that stand over (or under) a fixed-pitch list, each at the character column of the
// list it belongs to, on rows of one text line.
class ColumnStrip : public QWidget {
public:
    enum Align { Left, Right, Centre };
    ColumnStrip(QWidget *parent, int offset) : QWidget(parent), offset(offset) {}

    // A label at a column; with a width (in characters) it is aligned within it and, when its
    // text is longer, wrapped onto the rows it is given.
    QLabel *place(const QString &name, const QString &text, int column, int row, int width = 0,
                  Align align = Left, int rows = 1) {
        const QFont font = listFont();
        const QFontMetrics metrics(font);
        auto *label = new QLabel(text, this);
        label->setObjectName(name);
        label->setFont(font);
        const int w = width > 0 ? columnsWide(width) + 1 : metrics.horizontalAdvance(text) + 2;
        const int line = metrics.lineSpacing();
        label->setGeometry(offset + qRound(column * charWidth()), row * line, w, rows * line);
        label->setWordWrap(rows > 1);
        const Qt::Alignment horizontal = align == Right    ? Qt::AlignRight
                                         : align == Centre ? Qt::AlignHCenter
                                                           : Qt::AlignLeft;
        label->setAlignment(horizontal | Qt::AlignBottom);
        setMinimumSize(qMax(minimumWidth(), label->geometry().right() + 1),
                       qMax(minimumHeight(), label->geometry().bottom() + 1));
        return label;
    }

private:
    int offset;
};

// A heading over the report list, placed by the character column it stands over.
struct Heading {
    const char *name;
    const char *text;
    int row;
    int column;
    int width;
    ColumnStrip::Align align;
    int rows;
};

// The first column of a list's text, from the list's left edge.
int textOffset(QListView *list) {
    return list->frameWidth() + list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1;
}

QList<Heading> headingsOf(int panel) {
    using A = ColumnStrip::Align;
    switch (panel) {
    case 1:
        // The second line of a deal holds eight number columns; a heading longer than its
        // column takes two rows.
        return {{"lblFLg_0", "Date", 1, 0, 0, A::Left, 1},
                {"lblFLg_1", "Name", 1, 6, 0, A::Left, 1},
                {"lblFLg_2", "Stock #", 1, 22, 0, A::Left, 1},
                {"lblFLg_3", "Vehicle Description", 1, 31, 0, A::Left, 1},
                {"lblFLg_4", "Fin.", 0, 58, 0, A::Left, 1},
                {"lblFLg_5", "Src.", 1, 58, 0, A::Left, 1},
                {"lblFLg_6", "Term", 3, 11, 4, A::Right, 1},
                {"lblFLg_7", "APR", 3, 16, 8, A::Right, 1},
                {"lblFLg_8", "Fin. Reserve", 2, 24, 10, A::Centre, 2},
                {"lblFLg_9", "Srv. Reserve", 2, 34, 10, A::Centre, 2},
                {"lblFLg_10", "Credit Life", 2, 44, 10, A::Centre, 2},
                {"lblFLg_11", "Disability", 2, 54, 10, A::Centre, 2},
                {"lblFLg_12", "Other Profit", 2, 64, 10, A::Centre, 2},
                {"lblFLg_13", "Deal Total", 2, 74, 10, A::Centre, 2}};
    case 2:
        return {{"lblSum_3", "New and Used", 0, 20, 29, A::Centre, 1},
                {"lblSum_4", "Totals", 0, 51, 29, A::Centre, 1},
                {"lblSum_5", "New", 1, 20, 9, A::Right, 1},
                {"lblSum_6", "Used", 1, 30, 9, A::Right, 1},
                {"lblSum_7", "Total", 1, 40, 9, A::Right, 1},
                {"lblSum_8", "New", 1, 51, 9, A::Right, 1},
                {"lblSum_9", "Used", 1, 61, 9, A::Right, 1},
                {"lblSum_10", "Total", 1, 71, 9, A::Right, 1}};
    case 3:
        return {{"lblGSR_4", "Date", 0, 0, 0, A::Left, 1},
                {"lblGSR_5", "Name", 0, 6, 0, A::Left, 1},
                {"lblGSR_6", "Vehicle Description", 0, 26, 0, A::Left, 1},
                {"lblGSR_7", "Gross", 0, 51, 9, A::Right, 1},
                {"lblGSR_8", "Pack", 0, 61, 9, A::Right, 1},
                {"lblGSR_9", "Net", 0, 71, 9, A::Right, 1}};
    case 4:
        return {{"lblComm_4", "Salesperson", 1, 0, 0, A::Left, 1},
                {"lblComm_5", "Total New", 0, 22, 9, A::Right, 2},
                {"lblComm_6", "Total Used", 0, 32, 9, A::Right, 2},
                {"lblComm_7", "Total New", 0, 44, 10, A::Right, 1},
                {"lblComm_8", "Commissions", 1, 43, 11, A::Right, 1},
                {"lblComm_9", "Total Used", 0, 57, 10, A::Right, 1},
                {"lblComm_10", "Commissions", 1, 56, 11, A::Right, 1},
                {"lblComm_11", "Total", 0, 70, 10, A::Right, 1},
                {"lblComm_12", "Commissions", 1, 69, 11, A::Right, 1}};
    default:
        return {};
    }
}

// The widest list line of a panel, in characters: the F&I log's second line of a deal.
int listColumns(int panel) {
    return panel == 1 ? 86 : 81;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &text) {
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

frmRpt::frmRpt(int report, int letter, QWidget *parent)
    : QDialog(parent), report(*reportDescriptor(report)), letter(qBound(0, letter, 2)) {
    setObjectName(QStringLiteral("frmRpt"));
    setWindowTitle(QStringLiteral("REPORT"));
    // The panels sit in a scrolling area: a screen smaller than a panel scrolls it.
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrPanels"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    body = new QWidget(scroll);
    auto *layout = new QVBoxLayout(body);
    buildConditionsPanel();
    pbxReport.append(pbxCond);
    layout->addWidget(pbxCond);
    for (int panel = 1; panel <= 5; ++panel)
        layout->addWidget(pbxReport.emplace_back(buildReportPanel(panel)));
    buildLettersPanel();
    layout->addWidget(pbxReport.last());
    // The letters panel has no report list; the trend and the scoreboard share panel 7.
    reportList.append(nullptr);
    models.append(nullptr);
    dateLabels << nullptr << nullptr;
    classCaption.append(nullptr);
    layout->addWidget(pbxReport.emplace_back(buildReportPanel(7)));
    scroll->setWidget(body);
    outer->addWidget(scroll);
    cboSM = new QComboBox(this);
    cboSM->setObjectName(QStringLiteral("cboSM"));
    cboSM->hide(); // shown by printing
    buildPrintPanel();
    Form_Load();
}

void frmRpt::buildConditionsPanel() {
    pbxCond = new QWidget(this);
    pbxCond->setObjectName(QStringLiteral("pbxReport_0"));
    auto *grid = new QGridLayout(pbxCond);
    grid->setContentsMargins(0, 0, 0, 0);
    auto *heading = new QLabel(QStringLiteral("CONDITIONS"), pbxCond);
    heading->setObjectName(QStringLiteral("Label3"));
    heading->setAlignment(Qt::AlignCenter);
    grid->addWidget(heading, 0, 0, 1, 3);

    auto frame = [this](const char *name, const char *title) {
        auto *box = new QGroupBox(QString::fromLatin1(title), pbxCond);
        box->setObjectName(QString::fromLatin1(name));
        new QVBoxLayout(box);
        return box;
    };
    auto options = [](QGroupBox *box, const QString &name, const QStringList &texts,
                      QList<QRadioButton *> &into) {
        auto *group = new QButtonGroup(box);
        for (int i = 0; i < texts.size(); ++i) {
            auto *opt = new QRadioButton(texts[i], box);
            opt->setObjectName(QStringLiteral("%1_%2").arg(name).arg(i));
            box->layout()->addWidget(opt);
            group->addButton(opt, i);
            into.append(opt);
        }
        static_cast<QVBoxLayout *>(box->layout())->addStretch();
        return group;
    };
    fraVeh = frame("fraVeh", "Print For");
    options(fraVeh, QStringLiteral("optVeh"), {"New", "Used", "All"}, optVeh);
    optVeh[2]->setChecked(true);
    fraBy = frame("fraBy", "Print By");
    options(fraBy, QStringLiteral("optPrtBy"), {"Dealership", "Salesperson", "ASM"}, optPrtBy);
    optPrtBy[0]->setChecked(true);
    optPrtBy[2]->hide();

    fraDates = frame("fraDates", "Date Range");
    const int dateWidth = fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 12;
    auto dateBox = [&](const char *name, const char *caption, const char *label, const char *tip) {
        auto *text = new QLabel(QString::fromLatin1(label), fraDates);
        text->setObjectName(QString::fromLatin1(caption));
        fraDates->layout()->addWidget(text);
        auto *box = new QLineEdit(fraDates);
        box->setObjectName(QString::fromLatin1(name));
        box->setToolTip(QString::fromLatin1(tip));
        box->setMaxLength(10);
        box->setMinimumWidth(dateWidth);
        box->installEventFilter(this);
        fraDates->layout()->addWidget(box);
        return box;
    };
    txtBDT = dateBox("txtBDT", "Label1", "Beginning", "Enter Beginning Date (##/##/####)");
    txtEDT = dateBox("txtEDT", "Label2", "Ending", "Enter Ending Date (##/##/####)");
    txtBDT->setText(QStringLiteral("01/01/1900"));
    chkAnnvYr = new QCheckBox(QStringLiteral("Include Year"), fraDates);
    chkAnnvYr->setObjectName(QStringLiteral("chkAnnvYr"));
    fraDates->layout()->addWidget(chkAnnvYr);
    grid->addWidget(fraVeh, 1, 0);
    grid->addWidget(fraBy, 1, 1);
    grid->addWidget(fraDates, 1, 2);

    fraFIMgr = frame("fraFIMgr", "FI Mgr.");
    txtFIMgr = new QLineEdit(QStringLiteral("ALL"), fraFIMgr);
    txtFIMgr->setObjectName(QStringLiteral("txtFIMgr"));
    txtFIMgr->setMaxLength(3);
    fraFIMgr->layout()->addWidget(txtFIMgr);
    fraModel = frame("fraModel", "Model");
    txtModel = new QLineEdit(fraModel);
    txtModel->setObjectName(QStringLiteral("txtModel"));
    txtModel->setToolTip(QStringLiteral("Enter Model Name"));
    txtModel->setMaxLength(8);
    fraModel->layout()->addWidget(txtModel);
    fraPrtTo = frame("fraPrtTo", "Print Format");
    auto *formats =
        options(fraPrtTo, QStringLiteral("optPrtFmt"), {"Line Format", "Label Format"}, optPrtFmt);
    optPrtFmt[0]->setChecked(true);
    connect(formats, &QButtonGroup::idClicked, this, &frmRpt::optPrtFmt_Click);
    grid->addWidget(fraFIMgr, 2, 0);
    grid->addWidget(fraModel, 2, 0);
    grid->addWidget(fraPrtTo, 2, 1);

    auto *buttons = new QHBoxLayout;
    cmdCndOK = button(pbxCond, QStringLiteral("cmdCndOK"), QStringLiteral("&OK"));
    cmdCndOK->setToolTip(QStringLiteral("Accept Conditions"));
    cmdCndOK->setDefault(true);
    connect(cmdCndOK, &QPushButton::clicked, this, &frmRpt::cmdCndOK_Click);
    auto *exit = button(pbxCond, QStringLiteral("cmdExit_0"), QStringLiteral("&Exit"));
    exit->setToolTip(QStringLiteral("Exit Reports"));
    connect(exit, &QPushButton::clicked, this, &frmRpt::cmdExit_Click);
    buttons->addWidget(cmdCndOK);
    buttons->addWidget(exit);
    grid->addLayout(buttons, 2, 2, Qt::AlignBottom);
    grid->setRowStretch(3, 1);
}

QWidget *frmRpt::buildReportPanel(int panel) {
    static const char *const lists[] = {"",        "lstFILog", "lstSum", "lstGSR",
                                        "lstComm", "lstAny",   "",       "lstTable"};
    static const char *const dates[] = {"",          "lblFILogDT", "lblSumDT", "lblGSDT",
                                        "lblCommDT", "lblAnyDT",   "",         "lblTableDT"};
    auto *pbx = new QWidget(this);
    pbx->setObjectName(QStringLiteral("pbxReport_%1").arg(panel));
    pbx->hide();
    auto *column = new QVBoxLayout(pbx);
    column->setContentsMargins(0, 0, 0, 0);
    auto label = [pbx](const QString &name, const QString &text) {
        auto *l = new QLabel(text, pbx);
        l->setObjectName(name);
        return l;
    };

    // A panel opens with the heading of its first report.
    QString heading;
    for (const ReportDescriptor &r : reportTable()) {
        if (r.panel == panel && heading.isEmpty())
            heading = r.title;
    }
    auto *title = label(QStringLiteral("lblTitle_%1").arg(panel), heading);
    title->setAlignment(Qt::AlignCenter);
    column->addWidget(title);
    if (panel == 5 || panel == 7)
        panelHeading[panel] = title;

    auto *info = new QHBoxLayout;
    if (panel == 1) {
        info->addWidget(label(QStringLiteral("lblFIMgrCaption"), QStringLiteral("F&I MGR")));
        lblFIMgr = label(QStringLiteral("lblFIMgr"), QStringLiteral("ALL"));
        info->addWidget(lblFIMgr);
    }
    info->addStretch();
    info->addWidget(label(QStringLiteral("lblFrom_%1").arg(panel), QStringLiteral("From")));
    for (int end = 0; end < 2; ++end) {
        if (end == 1)
            info->addWidget(label(QStringLiteral("lblTo_%1").arg(panel), QStringLiteral("To")));
        dateLabels.append(label(QStringLiteral("%1_%2").arg(QLatin1String(dates[panel])).arg(end),
                                QStringLiteral("00/00/0000")));
        info->addWidget(dateLabels.last());
    }
    info->addStretch();
    classCaption.append(
        label(QStringLiteral("lblClass_%1").arg(panel), QStringLiteral("New and Used")));
    info->addWidget(classCaption.last());
    column->addLayout(info);

    ReportLinesModel *model = nullptr;
    auto *list = reportListView(pbx, QString::fromLatin1(lists[panel]), model);
    list->setMinimumSize(columnsWide(listColumns(panel)) + 2 * list->frameWidth() +
                             list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8,
                         10 * QFontMetrics(listFont()).lineSpacing());
    reportList.append(list);
    models.append(model);

    // The list with its headings and totals; a charted report's chart stands beside it.
    auto *listColumn = new QVBoxLayout;
    const int offset = textOffset(list);
    const QList<Heading> headings = headingsOf(panel);
    if (!headings.isEmpty()) {
        auto *strip = new ColumnStrip(pbx, offset);
        for (const Heading &h : headings) {
            QLabel *l = strip->place(QString::fromLatin1(h.name), QString::fromLatin1(h.text),
                                     h.column, h.row, h.width, h.align, h.rows);
            if (panel == 4 && h.column == 0)
                commNameHeading = l;
        }
        listColumn->addWidget(strip);
    }
    if (panel == 7) {
        // The columns of these reports follow their deals: the headings come with the build,
        // and scroll sideways with the list.
        auto *over = new QScrollArea(pbx);
        over->setObjectName(QStringLiteral("scrHeadings_7"));
        over->setFrameShape(QFrame::NoFrame);
        over->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        over->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        tableHeadings = label(QStringLiteral("lblHeadings_7"), QString());
        tableHeadings->setFont(listFont());
        tableHeadings->setContentsMargins(offset, 0, 0, 0);
        over->setWidget(tableHeadings);
        over->setFixedHeight(2 * QFontMetrics(listFont()).lineSpacing() + 2);
        connect(list->horizontalScrollBar(), &QScrollBar::valueChanged, over->horizontalScrollBar(),
                &QScrollBar::setValue);
        listColumn->addWidget(over);
    }
    listColumn->addWidget(list, 1);

    auto totals = [&](ColumnStrip *strip, const char *caption, const char *name, int at, int row,
                      int width) {
        const QString text = QString::fromLatin1(caption);
        strip->place(QStringLiteral("%1_caption").arg(QLatin1String(name)), text,
                     at - int(text.size()) - 1, row);
        return strip->place(QString::fromLatin1(name), QString(), at, row, width);
    };
    if (panel == 1 || panel == 3 || panel == 4) {
        auto *strip = new ColumnStrip(pbx, offset);
        if (panel == 1)
            lblFILogTtl = totals(strip, "Total", "lblFILogTtl", 25, 0, 61);
        if (panel == 3)
            lblGSRTtl = totals(strip, "Total", "lblGSRTtl", 51, 0, 30);
        if (panel == 4) {
            lblCommTtl = totals(strip, "Total", "lblCommTtl", 22, 0, 59);
            lblCommAv = totals(strip, "Average Commission", "lblCommAv", 44, 1, 37);
        }
        listColumn->addWidget(strip);
    }
    if (panel == 2 || panel == 4 || panel == 7) {
        // The user may widen either side; a larger window widens both.
        auto *beside = new QSplitter(Qt::Horizontal, pbx);
        beside->setObjectName(QStringLiteral("splChart_%1").arg(panel));
        auto *listSide = new QWidget(beside);
        listColumn->setContentsMargins(0, 0, 0, 0);
        listSide->setLayout(listColumn);
        auto *chart = new ChartView(beside);
        chart->setObjectName(QStringLiteral("chtReport_%1").arg(panel));
        chartViews.insert(panel, chart);
        beside->addWidget(listSide);
        beside->addWidget(chart);
        beside->setStretchFactor(0, 3);
        beside->setStretchFactor(1, 2);
        beside->setChildrenCollapsible(false);
        column->addWidget(beside, 1);
    } else {
        column->addLayout(listColumn, 1);
    }

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *exportButton =
        button(pbx, QStringLiteral("cmdExport_%1").arg(panel - 1), QStringLiteral("E&xport…"));
    exportButton->setToolTip(QStringLiteral("Export as PDF, Spreadsheet or CSV"));
    connect(exportButton, &QPushButton::clicked, this, &frmRpt::cmdExport_Click);
    buttons->addWidget(exportButton);
    auto *print =
        button(pbx, QStringLiteral("cmdPrint_%1").arg(panel - 1), QStringLiteral("&Print"));
    connect(print, &QPushButton::clicked, this, [this, panel] { cmdPrint_Click(panel - 1); });
    auto *exit = button(pbx, QStringLiteral("cmdExit_%1").arg(panel), QStringLiteral("&Exit"));
    connect(exit, &QPushButton::clicked, this, &frmRpt::cmdExit_Click);
    buttons->addWidget(print);
    buttons->addWidget(exit);
    column->addLayout(buttons);
    return pbx;
}

void frmRpt::buildLettersPanel() {
    auto *pbx = new QWidget(this);
    pbx->setObjectName(QStringLiteral("pbxReport_6"));
    pbx->hide();
    auto *column = new QVBoxLayout(pbx);
    column->setContentsMargins(0, 0, 0, 0);
    lblLTR = new QLabel(QStringLiteral("Dealership Follow-up Letter for:"), pbx);
    lblLTR->setObjectName(QStringLiteral("lblLTR_0"));
    column->addWidget(lblLTR);
    lstLTR = reportListView(pbx, QStringLiteral("lstLTR"), letterModel);
    lstLTR->setMinimumHeight(6 * QFontMetrics(listFont()).lineSpacing());
    column->addWidget(lstLTR, 1);
    txtLTR = new QPlainTextEdit(pbx);
    txtLTR->setObjectName(QStringLiteral("txtLTR"));
    txtLTR->setFont(listFont());
    txtLTR->setMinimumWidth(columnsWide(81));
    column->addWidget(txtLTR, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto add = [&](const char *name, const char *text) {
        auto *b = button(pbx, QString::fromLatin1(name), QString::fromUtf8(text));
        buttons->addWidget(b);
        return b;
    };
    connect(add("cmdLtrOK", "&OK"), &QPushButton::clicked, this, &frmRpt::cmdLtrOK_Click);
    connect(add("cmdExport_5", "E&xport…"), &QPushButton::clicked, this, &frmRpt::cmdExport_Click);
    connect(add("cmdPrtLtr", "&Print"), &QPushButton::clicked, this, &frmRpt::cmdPrtLtr_Click);
    connect(add("cmdExit_6", "&Exit"), &QPushButton::clicked, this, &frmRpt::cmdExit_Click);
    column->addLayout(buttons);
    pbxReport.append(pbx);
}

void frmRpt::Form_Load() {
    ErrorTrap trap(QStringLiteral("REPORT - FORM LOAD"));
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
    fraModel->setVisible(report.accepts & Accepts::Model);
    fraPrtTo->setVisible(report.accepts & Accepts::Format);
    chkAnnvYr->setVisible(report.accepts & Accepts::IncludeYear);
    // A report that reaches back from its ending date by itself takes no beginning date.
    txtBDT->setEnabled(!(report.accepts & Accepts::EndingOnly));
    for (QLineEdit *box : {txtBDT, txtEDT})
        box->home(false);
    fitToPanel(QSize(px(5200), px(3100)));
    trap.report();
}

// The window takes the size its panel asks for, at least its design size, as far as the
// screen allows.
void frmRpt::fitToPanel(const QSize &design) {
    body->layout()->activate();
    // A chart beside a list asks for room of its own beyond its least.
    QSize wanted = body->minimumSizeHint().expandedTo(design);
    for (const ChartView *chart : chartViews) {
        if (chart->isVisibleTo(this))
            wanted.rwidth() += chart->sizeHint().width() - chart->minimumWidth();
    }
    const QSize frame = frameGeometry().size() - geometry().size();
    const QRect room = screen()->availableGeometry();
    resize(wanted.boundedTo(
        QSize(room.right() + 1 - qMax(0, x()), room.bottom() + 1 - qMax(0, y())) - frame));
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

// Both dates completed and checked as if their boxes were left; false, with the focus on the
// box, when one is not a date.
bool frmRpt::datesChecked() {
    for (QLineEdit *box : {txtBDT, txtEDT}) {
        const bool beginning = box == txtBDT;
        ErrorTrap trap(beginning ? QStringLiteral("REPORT - BDT TXT")
                                 : QStringLiteral("REPORT - EDT TXT"));
        trap.run([&] { dateBoxLeft(box, beginning); });
        trap.report();
        if (box->text().isEmpty()) {
            box->setFocus();
            return false;
        }
    }
    return true;
}

void frmRpt::cmdCndOK_Click() {
    // Every build runs on checked, completed dates, also when Enter is pressed in a date box.
    if (!datesChecked())
        return;
    const ReportConditions c = conditions();
    const int panel = report.panel;
    pbxCond->hide();
    pbxCond->setEnabled(false);
    QWidget *pbx = pbxReport[panel];
    pbx->show();
    pbx->setEnabled(true);
    if (panel != 6) {
        const PrintCaptions captions = panelCaptions(c);
        dateLabels[2 * (panel - 1)]->setText(captions.beginDate);
        dateLabels[2 * (panel - 1) + 1]->setText(captions.endDate);
        classCaption[panel - 1]->setText(captions.vehicleClass);
        models[panel - 1]->setLines({});
    }
    if (panel == 1)
        lblFIMgr->setText(c.FIMgr);
    if (panel == 4) {
        lblCommTtl->clear();
        lblCommAv->clear();
        if (c.PrtBy == ReportConditions::ASM)
            commNameHeading->setText(QStringLiteral("ASM") + QString(41, QLatin1Char(' ')));
    }
    if (panel == 5 || panel == 7)
        panelHeading[panel]->setText(report.title);
    if (panel == 6)
        lblLTR->setText(letterDescriptor(letter)->heading);
    cboSM->clear();
    if (c.PrtBy == ReportConditions::Salesperson)
        cboSM->addItem(QStringLiteral("ALL"));
    move(0, px(360));
    fitToPanel(QSize(px(9600), px(6460)));
    repaint();

    QApplication::setOverrideCursor(Qt::WaitCursor);
    built = buildReport(c, dealDatabase(), Prompter::current());
    QApplication::restoreOverrideCursor();
    showOutput(panel);
    const QString notice = emptyReportNotice(c, built);
    if (!notice.isEmpty())
        Prompter::current().msgBox(notice, Style::Information);
}

void frmRpt::showOutput(int panel) {
    if (panel == 6) {
        showLines(lstLTR, letterModel, built.lines);
        // The window widens to show the recipient lines whole, as far as the screen allows.
        const int wanted = width() - lstLTR->viewport()->width() +
                           static_cast<LineDelegate *>(lstLTR->itemDelegate())->lineWidth() +
                           lstLTR->frameWidth();
        const int room = screen()->availableGeometry().width() - x();
        resize(qMax(width(), qMin(wanted, room)), height());
        return;
    }
    showLines(reportList[panel - 1], models[panel - 1], built.lines);
    if (panel == 7) {
        tableHeadings->setText(built.headings.join(QLatin1Char('\n')));
        tableHeadings->adjustSize();
    }
    if (ChartView *chart = chartViews.value(panel))
        chart->setChart(built.chart);
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
    if (!picked.isValid() || picked.row() >= built.lines.size())
        return;
    const AppSettings &settings = appSettings();
    trap.run([&] {
        txtLTR->setPlainText(composeLetter(recipientParts(built, picked.row()), letter,
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
        // Enter, Tab and the other control keys leave the date as it is.
        if (text.isEmpty() || !text.at(0).isPrint())
            return false;
        int key = qMin(int(text.at(0).unicode()), 255);
        if (!ValidKey(QLatin1Char('D'), key))
            return true;
        // Typing from the start replaces the whole date.
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
    box->home(false);
}

void frmRpt::buildPrintPanel() {
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("pbxReport_8"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setAutoFillBackground(true);
    panel->hide();
    pbxPrint = panel;
    auto *column = new QVBoxLayout(panel);
    auto *heading = new QLabel(QStringLiteral("PRINT CONDITIONS"), panel);
    heading->setObjectName(QStringLiteral("lblPrt_0"));
    heading->setAlignment(Qt::AlignCenter);
    column->addWidget(heading);
    auto check = [&](const char *name, const char *text) {
        auto *box = new QCheckBox(QString::fromLatin1(text), panel);
        box->setObjectName(QString::fromLatin1(name));
        column->addWidget(box);
        return box;
    };
    chkCont = check("chkCont", "Run Continuous Paper");
    chkOkiComp = check("chkOkiComp", "OKI Compressed Print");
    chkOkiComp->hide();
    lblPrtSM = new QLabel(QStringLiteral("Salesman To Print List For"), panel);
    lblPrtSM->setObjectName(QStringLiteral("lblPrt_1"));
    lblPrtSM->hide();
    column->addWidget(lblPrtSM);
    cboSM->setParent(panel);
    cboSM->hide();
    column->addWidget(cboSM);
    cmdPrtLbls =
        button(panel, QStringLiteral("cmdPrtLbls"), QStringLiteral("&Print 3 Test Labels"));
    cmdPrtLbls->hide();
    column->addWidget(cmdPrtLbls);
    connect(cmdPrtLbls, &QPushButton::clicked, this, &frmRpt::cmdPrtLbls_Click);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *ok = button(panel, QStringLiteral("cmdPrtOK"), QStringLiteral("&OK"));
    connect(ok, &QPushButton::clicked, this, &frmRpt::cmdPrtOK_Click);
    auto *exit = button(panel, QStringLiteral("cmdPrtExit"), QStringLiteral("&Exit"));
    connect(exit, &QPushButton::clicked, this, &frmRpt::cmdPrtExit_Click);
    buttons->addWidget(ok);
    buttons->addWidget(exit);
    column->addLayout(buttons);
}

void frmRpt::cmdPrint_Click(int index) {
    ErrorTrap trap(QStringLiteral("REPORT - PRINT CMD"));
    const std::optional<Prompter::PrinterChoice> chosen = Prompter::current().choosePrinter();
    if (!chosen)
        return; // cancelled: the report panel stays as it was
    printer = *chosen;
    const ReportConditions c = conditions();
    trap.run([&] {
        if (c.PrtBy == ReportConditions::Salesperson) {
            lblPrtSM->show();
            cboSM->show();
            cboSM->setCurrentIndex(qMax(0, cboSM->findText(QStringLiteral("ALL"))));
        }
        if (c.PrtFmt == ReportConditions::LabelFormat)
            cmdPrtLbls->show();
        pbxReport[index + 1]->setEnabled(false);
        if (index == 0)
            chkOkiComp->show();
        pbxPrint->adjustSize();
        pbxPrint->move(px(3000), px(1800));
        pbxPrint->show();
        pbxPrint->raise();
        chkCont->setFocus();
    });
    trap.report();
}

// Prints the run where the print dialog said: the printer, the report's document file, or a
// file of the user's, a PDF when its name ends in ".pdf"; says where a file went.
bool frmRpt::print(const PrintRun &run, bool labels) {
    const bool pdf = !labels && run.printer.toFile &&
                     run.printer.fileName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
    bool printed = false;
    if (pdf) {
        ErrorTrap trap(report.layout.tag);
        const QList<PrintedPage> pages = paginate(run);
        printed = trap.run([&] {
            if (!pages.isEmpty())
                writePdf(pages, printedFilePath(run));
        });
        trap.report();
    } else {
        printed = printReport(run, labels);
    }
    if (printed && run.printer.toFile && !labels && !run.lines.isEmpty())
        Prompter::current().msgBox(QStringLiteral("REPORT PRINTED TO ") + printedFilePath(run),
                                   Style::Information);
    return printed;
}

void frmRpt::cmdPrtOK_Click() {
    ErrorTrap trap(QStringLiteral("REPORT - PRT OK CMD"));
    trap.run([&] {
        const ReportConditions c = conditions();
        PrintRun run = printRunFor(c, built);
        run.salesperson = c.SM;
        run.continuous = chkCont->isChecked();
        run.compressed = !chkOkiComp->isHidden() && chkOkiComp->isChecked();
        run.printer = printer;
        print(run, c.PrtFmt == ReportConditions::LabelFormat);
    });
    cmdPrtExit_Click();
    trap.report();
}

void frmRpt::cmdPrtExit_Click() {
    ErrorTrap trap(QStringLiteral("REPORT - PRT EXIT CMD"));
    trap.run([&] {
        pbxPrint->hide();
        const int panel = report.panel;
        if (panel < 1 || panel == 6)
            return;
        pbxReport[panel]->setEnabled(true);
        if (auto *exit = findChild<QPushButton *>(QStringLiteral("cmdExit_%1").arg(panel)))
            exit->setFocus();
    });
    trap.report();
}

void frmRpt::cmdExport_Click() {
    ErrorTrap trap(QStringLiteral("REPORT - EXPORT CMD"));
    const ReportConditions c = conditions();
    const bool letters = report.layout.header == PageLayout::Header::None;
    // A name in the data folder after the report's document file ("GSRpt.pdf").
    const QString stem =
        letters ? QStringLiteral("Letter") : report.documentFile.section(QLatin1Char('.'), 0, 0);
    const std::optional<Prompter::ExportChoice> chosen = Prompter::current().chooseExportFile(
        QDir::current().absoluteFilePath(stem + QStringLiteral(".pdf")), letters);
    if (!chosen)
        return;
    const PdfOptions::Paper paper = chosen->a4 ? PdfOptions::A4 : PdfOptions::Letter;
    const bool written = trap.run([&] {
        ExportFormat format = ExportFormat::Pdf;
        const bool known = exportFormatOf(chosen->fileName, format);
        const bool sheet = known && format != ExportFormat::Pdf;
        if (!letters && sheet && built.sheet.isEmpty()) {
            // The screen's list has no row a deal: the report is built again with them.
            ReportConditions rows = c;
            rows.dealRows = true;
            exportReport(rows, buildReport(rows, dealDatabase(), Prompter::current()),
                         chosen->fileName, paper);
            return;
        }
        if (!letters) {
            exportReport(c, built, chosen->fileName, paper);
            return;
        }
        if (!known || sheet)
            throw VolmeraError(
                QStringLiteral("A letter is exported as a PDF: name the file .pdf."));
        if (txtLTR->toPlainText().trimmed().isEmpty())
            throw VolmeraError(QStringLiteral("Nothing was exported: no letter is written yet."));
        writePdf(pagesOf(txtLTR->toPlainText().split(QLatin1Char('\n'))), chosen->fileName,
                 {paper, {}});
    });
    if (written)
        Prompter::current().msgBox(QStringLiteral("REPORT EXPORTED TO ") +
                                       QFileInfo(chosen->fileName).absoluteFilePath(),
                                   Style::Information);
    trap.report();
}

void frmRpt::cmdPrtLbls_Click() {
    PrintTestLabels();
}
