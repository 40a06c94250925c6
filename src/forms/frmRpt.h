#pragma once

#include "base/Prompter.h"
#include "domain/reports/ReportPrinting.h"
#include "domain/reports/Reports.h"

#include <QDialog>
#include <QList>
#include <QMap>

class ChartView;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class ReportLinesModel;

// The report screen: its conditions panel, then the chosen report's panel with the list the
// builder made. Opened fresh for each pick of the entry screen's Reports menu, for one report
// (its number, 1 to 10) and, for the letters (6), one letter (0 to 2), which it keeps.
class frmRpt : public QDialog {
    Q_OBJECT
public:
    explicit frmRpt(int report, int letter = 0, QWidget *parent = nullptr);

    const ReportDescriptor &report;
    const int letter;

    // Conditions panel.
    QWidget *pbxCond;
    QGroupBox *fraVeh, *fraBy, *fraDates, *fraFIMgr, *fraModel, *fraPrtTo;
    QList<QRadioButton *> optVeh, optPrtBy, optPrtFmt;
    QLineEdit *txtBDT, *txtEDT, *txtFIMgr, *txtModel;
    QCheckBox *chkAnnvYr;
    QPushButton *cmdCndOK;

    // Report panels 1 to 6, by their list and captions.
    QList<QWidget *> pbxReport;    // index 0 the conditions panel, 1 to 6 the report panels
    QList<QListView *> reportList; // the list of panels 1 to 7: lstFILog ... lstTable; none for 6
    QMap<int, ChartView *> chartViews; // the charts of panels 2, 4 and 7
    QLabel *lblFIMgr;
    QLabel *lblFILogTtl, *lblGSRTtl, *lblCommTtl, *lblCommAv;
    QMap<int, QLabel *> panelHeading; // panels 5 (lblAnyRpt 0) and 7: set by the report
    QLabel *tableHeadings;            // panel 7's column headings, from the build
    QList<QLabel *> classCaption;     // "New and Used" of panels 1 to 5
    QLabel *commNameHeading;          // lblComm 4
    QListView *lstLTR;
    QPlainTextEdit *txtLTR;
    QLabel *lblLTR;
    QComboBox *cboSM;

    // The print conditions panel (pbxReport 8).
    QWidget *pbxPrint;
    QLabel *lblPrtSM; // lblPrt 1
    QCheckBox *chkCont, *chkOkiComp;
    QPushButton *cmdPrtLbls;

    // What the last build gave.
    ReportOutput built;

    ReportConditions conditions() const;

public Q_SLOTS:
    void cmdCndOK_Click();
    void cmdExit_Click();
    void cmdLtrOK_Click();
    void cmdPrtLtr_Click();
    void optPrtFmt_Click(int index);
    void cmdPrint_Click(int index);
    void cmdPrtOK_Click();
    void cmdPrtExit_Click();
    void cmdPrtLbls_Click();
    void cmdExport_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void buildConditionsPanel();
    QWidget *buildReportPanel(int panel);
    void buildLettersPanel();
    void dateBoxLeft(QLineEdit *box, bool beginning);
    bool datesChecked();
    void showOutput(int panel);
    void buildPrintPanel();
    bool print(const PrintRun &run, bool labels);
    void fitToPanel(const QSize &design);

    QWidget *body;              // what the window scrolls: the panels
    QList<QLabel *> dateLabels; // two per panel 1 to 5: beginning, ending
    QList<ReportLinesModel *> models;
    ReportLinesModel *letterModel;
    Prompter::PrinterChoice printer; // the print dialog's choice
};
