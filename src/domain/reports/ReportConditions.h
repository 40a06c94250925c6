#pragma once

#include "domain/charts/Chart.h"
#include "domain/reports/ReportLines.h"
#include "domain/reports/ReportSheet.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The conditions of the report screen, as a build reads them.
struct ReportConditions {
    enum Vehicle { New = 0, Used = 1, All = 2 };
    enum PrintBy { Dealership = 0, Salesperson = 1, ASM = 2 };
    enum Format { LineFormat = 0, LabelFormat = 1 };

    int report = 0; // which report: 1 F&I log ... 10 model, 6 letters
    int letter = 0; // which letter, for report 6
    QString BDT = QStringLiteral("01/01/1900");
    QString EDT; // the date of the day when the screen opens
    int Veh = All;
    int PrtBy = Dealership;
    QString FIMgr = QStringLiteral("ALL");
    QString Model;
    bool AnnvYr = false;
    int PrtFmt = LineFormat;
    QString SM = QStringLiteral("ALL");
    // The list reports also give a spreadsheet row a deal: asked for by a spreadsheet or CSV
    // export only, as the rows of a long list take more room than its lines.
    bool dealRows = false;
    // The figures as spreadsheet rows too. A build for lines alone (text, printing) may leave
    // them out: by salesperson they take more room and time than the lines.
    bool sheetRows = true;
};

// What a build gives the screen: the list lines, the totals captions by the name of the label
// that shows them, and the salesperson keys that follow "ALL" in the salesperson list.
struct ReportOutput {
    ReportLines lines;
    QList<QPair<QString, QString>> totals;
    QStringList salespeople;
    QStringList headings; // the column headings of a report whose columns follow its deals
    ReportSheet sheet;    // the figures as typed cells, for the spreadsheet and CSV exports
    Chart chart;          // what the report's chart shows; empty for a report without one
    bool cancelled = false;
};
