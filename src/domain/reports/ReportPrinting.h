#pragma once

#include "base/Prompter.h"
#include "domain/reports/ReportConditions.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Printing a report panel's list: page headers, page ends and the totals line, to the default
// printer (one print job a page) or to the report's document file in the data folder.

// The captions of a report panel that its printout repeats in the page header.
struct PrintCaptions {
    QString title;
    QString from = QStringLiteral("From");
    QString to = QStringLiteral("To");
    QString beginDate, endDate;
    QString vehicleClass = QStringLiteral("New and Used");
    QString fiManager = QStringLiteral("ALL");           // the F&I log's manager caption
    QString nameHeading = QStringLiteral("Salesperson"); // the commission report's first column
};

// The captions the report screen shows for a report built from these conditions.
PrintCaptions panelCaptions(const ReportConditions &c);

// What one print run reads: the list as its builder made it, the panel's captions, the print
// dialog's choice and the print conditions panel.
struct PrintRun {
    int report = 0; // the report screen's report number
    ReportLines lines;
    QList<QPair<QString, QString>> totals; // the totals captions by the name of their label
    QStringList salespeople;               // the salesperson list after "ALL"
    QStringList headings;                  // the column headings of a report with its own
    PrintCaptions captions;
    QString dealerName;
    QString todayText;          // "mm/dd/yyyy"
    bool bySalesperson = false; // Print By "Salesperson" on the conditions panel
    QString salesperson = QStringLiteral("ALL");
    bool continuous = false;
    bool compressed = false;         // the F&I log's compressed print
    Prompter::PrinterChoice printer; // the print dialog's choice
};

// A run of the report built from c, with the dealer name and the date of the day of the
// settings; the print conditions are left at their defaults.
PrintRun printRunFor(const ReportConditions &c, const ReportOutput &built);

// The document file a report prints to ("GSRpt.DOC"); empty for a report without one.
QString documentFileName(int report);

// The file a run printed to a file writes: the one chosen, or the report's document file in
// the data folder; an absolute path.
QString printedFilePath(const PrintRun &run);

// Prints the run's list as the print conditions panel's OK does: page headers, page ends and
// the totals line of its report, or the mailing labels for the customer file in Label Format.
// An empty list prints nothing. The two paper prompts go through the current Prompter, and
// Cancel ends the run quietly. A failing step is skipped and the run goes on; at its end the
// last error is shown under the report's print tag. False when an error occurred.
bool printReport(const PrintRun &run, bool labelFormat);
