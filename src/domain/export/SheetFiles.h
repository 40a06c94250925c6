#pragma once

#include "domain/reports/ReportSheet.h"

#include <QString>

// A report's sheet as a file. Both throw VolmeraError naming the file when it cannot be
// written; a file of that name is replaced.

// A spreadsheet of one worksheet: a bold header row, frozen, with an auto-filter over the data
// rows; dates as date cells, amounts as numbers in a currency format, totals rows as sums.
void writeXlsx(const ReportSheet &sheet, const QString &path);

// CSV (RFC 4180): UTF-8, lines ended CRLF, a field quoted when it holds a comma, a quote or a
// line end. The same columns as the spreadsheet, and each cell as the spreadsheet shows it to
// a reader: dates MM/DD/YYYY, amounts as plain decimals ("1234.5", "-12", "0.0001").
void writeCsv(const ReportSheet &sheet, const QString &path);

// One cell as the CSV file holds it.
QString csvText(const SheetCell &cell);
