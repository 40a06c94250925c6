#pragma once

#include "domain/charts/Chart.h"
#include "domain/reports/Pagination.h"

#include <QList>
#include <QString>
#include <QStringList>

// Printed pages as a PDF file: a sheet for each page, the text as real text in a fixed-pitch
// font sized so that the widest line and the longest page fit (a page wider than 100 columns
// is turned landscape), and, for a charted report, a last page with its chart.
struct PdfOptions {
    enum Paper { Letter, A4 };
    Paper paper = Letter;
    Chart chart; // drawn on a page of its own after the text; none when empty
};

// "letter" or "a4", letter case aside; false for any other name.
bool paperNamed(const QString &name, PdfOptions::Paper &paper);

// Throws VolmeraError naming the file when it cannot be written.
void writePdf(const QList<PrintedPage> &pages, const QString &path, const PdfOptions &options = {});

// Plain lines (a letter, a deal sheet) as pages of at most pageLines lines each.
QList<PrintedPage> pagesOf(const QStringList &lines, int pageLines = 60);

// The customer file's Label Format list (five lines an entry) as sheets of mailing labels:
// three across and ten down on US Letter (2 5/8 by 1 inch), three across and seven down on A4
// (63.5 by 38.1 mm), each label holding its entry's first four lines. Throws as writePdf does.
void writeLabelSheets(const QStringList &entries, const QString &path, PdfOptions::Paper paper);
