#pragma once

#include "domain/export/PdfPages.h"
#include "domain/reports/ReportConditions.h"

#include <QString>

// A built report as a file for another program: its printed pages as a PDF, or its figures as
// a spreadsheet or a CSV file. The screen's Export button and the command line's --export
// both come here.
enum class ExportFormat { Pdf, Xlsx, Csv };

// The format a file's name asks for by its ending (".pdf", ".xlsx", ".csv", letter case
// aside); false for any other.
bool exportFormatOf(const QString &path, ExportFormat &format);

// Why the built report gives no file of that format, or an empty text when it gives one: an
// empty list has no printed page, and the letters have neither pages nor figures.
QString exportRefusal(const ReportConditions &c, const ReportOutput &built, ExportFormat format);

// Writes the report built from c to path in the format its name asks for. The PDF holds the
// pages the printer gets (for the customer file in Label Format, sheets of mailing labels)
// and, for a charted report, the chart on a last page. Throws VolmeraError naming the file
// when it cannot be written, or with the refusal above.
void exportReport(const ReportConditions &c, const ReportOutput &built, const QString &path,
                  PdfOptions::Paper paper = PdfOptions::Letter);
