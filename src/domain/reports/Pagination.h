#pragma once

#include "domain/reports/ReportPrinting.h"

#include <QList>
#include <QStringList>
#include <functional>

// One printed page of a report: every line it holds, its header first.
struct PrintedPage {
    int number = 1;
    QStringList lines;
    bool pageEnd = false; // ends with a page end (a fresh sheet, a form feed); else the run ends
};

// The pages a print run gives: the list laid out by its report's page layout, with the page
// headers, the salesperson's pages and the totals line. Nothing is printed and nothing is
// asked; an empty list gives no page.
QList<PrintedPage> paginate(const PrintRun &run);
// The same pages handed to take one at a time as each is made, last telling the run's last
// page, so that a long printout is never held whole; take returns false to stop the run.
using PageTaker = std::function<bool(const PrintedPage &page, bool last)>;
void paginate(const PrintRun &run, const PageTaker &take);
