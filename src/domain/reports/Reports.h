#pragma once

#include "domain/reports/Builders.h"

#include <QList>
#include <QString>

// How a report's printout lays its list out on pages.
struct PageLayout {
    enum class Header { None, Common, GSR, Comm, Summary, FILog, Table }; // Table: the report's own
    enum class Step { Line, Block, Entry, Deal }; // what one step of the page prints
    enum class Totals { None, GSR, Comm, FILog };

    QString tag; // the print routine's tag, the title of its error box
    Header header = Header::None;
    Step step = Step::Line;
    Totals totals = Totals::None;
    bool salespersons = false; // looks for group lines and names the salesperson in the header
    bool skipEmpty = false;    // empty list lines are not printed
    int stepLines = 1;         // list lines one step prints (entries and blocks)
    int pageLimit = 0;   // a page ends when the counter plus the look-ahead reaches it; 0 never
    int lookAhead = 0;   // the entry size for the customer lists, else 0
    int fileEndRows = 0; // empty lines that end a page in the document file
};

// The conditions a report takes, on the conditions panel and on the command line alike.
namespace Accepts {
enum : unsigned {
    NewUsed = 1,     // "New" and "Used" besides "All"
    Salesperson = 2, // Print By "Salesperson"
    ASM = 4,         // Print By "ASM"
    FIMgr = 8,
    Model = 16,
    IncludeYear = 32,
    Format = 64, // the customer file's Line or Label Format
    Letter = 128,
    EndingOnly = 256, // the ending date alone: the report reaches back from it by itself
};
}

// Everything that makes one report what it is: the screen, the command line, the printing and
// the tests all read it here.
struct ReportDescriptor {
    using Builder = ReportOutput (*)(const ReportConditions &, DealSource &, BuildPolicy &);
    enum class SalespersonKey { First, Last }; // where "Salesman" goes in the order

    int selector;         // the report screen's report number, the Reports menu index + 1
    QString name;         // the command line's name
    QString caption;      // the report screen's caption
    QString title;        // the panel's heading, repeated by the printout
    int panel;            // the report panel that shows it (pbxReport index)
    QString documentFile; // the document file it prints to; empty for the letters
    QString order;        // its order with "All"; "NewUsed, " goes in front for a class
    SalespersonKey salesmanKey;
    unsigned accepts;  // Accepts flags
    PageLayout layout; // its printout; the letters have none
    QList<int> fields; // the deal fields its builder reads
    Builder build;
    bool charted; // draws a chart of its figures
    // Its builder gives the same whatever order the deals come in (DealSource::inReportOrder),
    // so it reads them as they are stored.
    bool anyOrder = false;
};

const QList<ReportDescriptor> &reportTable();
const ReportDescriptor *reportDescriptor(int selector);
const ReportDescriptor *reportNamed(const QString &name);
// The command line's names, in menu order: "fi-log, summary, ... or letters".
QString reportNames();

// Whether the conditions c may choose Print By "Salesperson" for their report: labels are
// printed for the dealership only.
bool offersSalesperson(const ReportConditions &c);

// What to tell the user about a build that found nothing it was asked for (a model that no
// deal of the range has); empty otherwise.
QString emptyReportNotice(const ReportConditions &c, const ReportOutput &built);

// Opens the deals of the report's selection in the database file (a local path) and builds
// the report. Opening is a step of the build, under the same failure policy.
ReportOutput buildReport(const ReportConditions &c, const DatabaseAddress &database,
                         Prompter &prompter);
