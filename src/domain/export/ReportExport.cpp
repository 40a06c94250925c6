#include "domain/export/ReportExport.h"

#include "base/ErrorTrap.h"
#include "domain/export/SheetFiles.h"
#include "domain/reports/ReportPrinting.h"
#include "domain/reports/Reports.h"

#include <QFileInfo>

bool exportFormatOf(const QString &path, ExportFormat &format) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        format = ExportFormat::Pdf;
    else if (suffix == QLatin1String("xlsx"))
        format = ExportFormat::Xlsx;
    else if (suffix == QLatin1String("csv"))
        format = ExportFormat::Csv;
    else
        return false;
    return true;
}

QString exportRefusal(const ReportConditions &c, const ReportOutput &built, ExportFormat format) {
    const ReportDescriptor *report = reportDescriptor(c.report);
    if (report == nullptr || report->layout.header == PageLayout::Header::None)
        return QStringLiteral("the letters are exported one at a time, as a PDF of the letter");
    if (built.cancelled)
        return QStringLiteral("the build was cancelled");
    if (format == ExportFormat::Pdf && built.lines.isEmpty())
        return QStringLiteral("the report is empty: it has no page to export");
    if (format != ExportFormat::Pdf && built.sheet.isEmpty())
        return QStringLiteral("the %1 report has no spreadsheet").arg(report->name);
    return {};
}

void exportReport(const ReportConditions &c, const ReportOutput &built, const QString &path,
                  PdfOptions::Paper paper) {
    ExportFormat format = ExportFormat::Pdf;
    if (!exportFormatOf(path, format))
        throw VolmeraError(QStringLiteral("The file %1 is no export: name it .pdf, .xlsx or .csv.")
                               .arg(QFileInfo(path).absoluteFilePath()));
    if (const QString refusal = exportRefusal(c, built, format); !refusal.isEmpty())
        throw VolmeraError(QStringLiteral("Nothing was exported: ") + refusal + u'.');
    switch (format) {
    case ExportFormat::Pdf:
        if ((reportDescriptor(c.report)->accepts & Accepts::Format) &&
            c.PrtFmt == ReportConditions::LabelFormat) {
            writeLabelSheets(built.lines.toStringList(), path, paper);
            return;
        }
        writePdf(paginate(printRunFor(c, built)), path, {paper, built.chart});
        return;
    case ExportFormat::Xlsx:
        writeXlsx(built.sheet, path);
        return;
    case ExportFormat::Csv:
        writeCsv(built.sheet, path);
        return;
    }
}
