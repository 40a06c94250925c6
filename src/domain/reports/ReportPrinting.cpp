#include "domain/reports/ReportPrinting.h"

#include "base/AppSettings.h"
#include "base/ErrorTrap.h"
#include "base/Format.h"
#include "base/PathMapping.h"
#include "domain/reports/Labels.h"
#include "domain/reports/Pagination.h"
#include "domain/reports/PrinterPort.h"
#include "domain/reports/ReportSelection.h"
#include "domain/reports/Reports.h"

#include <QFile>
#include <QFileInfo>
#include <memory>

namespace {
// Sends a run's pages to the document file or the printer as they are made, and asks for the paper
// between printed sheets. The first failing page ends the run: its error is the one reported.
class PageEmitter {
public:
    PageEmitter(const PrintRun &run, const PageLayout &layout, ErrorTrap &trap, Prompter &prompter)
        : run(run), lay(layout), trap(trap), prompter(prompter), documentPath(printedFilePath(run)),
          compressed(run.compressed && layout.header == PageLayout::Header::FILog) {}

    // Takes the pages as they are made; false ends the run.
    bool take(const PrintedPage &page, bool last) {
        if (!started) {
            started = true;
            if (run.printer.toFile) {
                // A file left from an earlier run is replaced, never extended: when it cannot be
                // removed the run stops rather than append to it.
                if (!trap.run([&] { removeOldDocument(); }))
                    return false;
            } else if (prompter.msgBox(QStringLiteral("INSERT BLANK SHEET OF PAPER IN PRINTER"),
                                       Style::OKCancel) != Answer::OK) {
                return false;
            }
        }
        if (!trap.run([&] { send(page, last); }))
            return false;
        return !(page.pageEnd && !run.continuous && !run.printer.toFile &&
                 prompter.msgBox(QStringLiteral("INSERT A FRESH BLANK PAPER IN PRINTER"),
                                 Style::OKCancel) != Answer::OK);
    }

private:
    void removeOldDocument() {
        QFile old(documentPath);
        if (old.exists() && !old.remove())
            throw VolmeraError(
                QStringLiteral("The document file %1 cannot be replaced: %2")
                    .arg(QFileInfo(documentPath).absoluteFilePath(), old.errorString()));
    }

    void send(const PrintedPage &page, bool last) {
        // The document file stays open from the first page to the last; a printer takes a job a
        // page.
        std::unique_ptr<PrintStream> job;
        if (run.printer.toFile) {
            if (!file)
                file = PrinterPort::documentFile(documentPath);
        } else {
            const QString name = documentFileName(run.report).section(QLatin1Char('.'), 0, 0);
            job = PrinterPort::printer(run.printer.printer, run.printer.copies,
                                       QStringLiteral("%1 page %2").arg(name).arg(page.number));
        }
        PrintStream *out = job ? job.get() : file.get();
        // The page is written at once: thousands of salespeople make thousands of pages.
        bytes.resize(0);
        for (const QString &line : page.lines)
            PrintStream::appendLine(bytes, line);
        if (page.pageEnd && run.printer.toFile) {
            for (int i = 0; i < lay.fileEndRows; ++i)
                PrintStream::appendLine(bytes, {});
        } else if (page.pageEnd && run.continuous) {
            PrintStream::appendLine(bytes, u"\f");
        }
        // The printer leaves compressed print at the end of the printout's last page.
        if (last && compressed)
            bytes.append('\x12');
        out->write(bytes);
        if (job || last)
            out->close();
    }

    const PrintRun &run;
    const PageLayout &lay;
    ErrorTrap &trap;
    Prompter &prompter;
    const QString documentPath;
    const bool compressed;
    bool started = false;
    std::unique_ptr<PrintStream> file;
    QByteArray bytes; // the page's, kept between pages
};

bool printList(const PrintRun &run) {
    const ReportDescriptor *report = reportDescriptor(run.report);
    if (report == nullptr || report->layout.header == PageLayout::Header::None)
        return true; // the letters print from their own panel
    ErrorTrap trap(report->layout.tag);
    Prompter &prompter = Prompter::current();
    PageEmitter emitter(run, report->layout, trap, prompter);
    paginate(run, [&](const PrintedPage &page, bool last) { return emitter.take(page, last); });
    const bool ok = !trap.pending();
    trap.report(prompter);
    return ok;
}
} // namespace

PrintCaptions panelCaptions(const ReportConditions &c) {
    PrintCaptions captions;
    if (const ReportDescriptor *report = reportDescriptor(c.report))
        captions.title = report->title;
    captions.beginDate = c.BDT;
    // A report of the ending date alone names the first day it reaches back to.
    if (const ReportDescriptor *report = reportDescriptor(c.report);
        report != nullptr && (report->accepts & Accepts::EndingOnly))
        captions.beginDate = formatDate(trendFirstDay(c.EDT), QStringLiteral("mm/dd/yyyy"));
    captions.endDate = c.EDT;
    // A report made for one class names it.
    if (c.Veh != ReportConditions::All)
        captions.vehicleClass =
            c.Veh == ReportConditions::New ? QStringLiteral("New") : QStringLiteral("Used");
    captions.fiManager = c.FIMgr;
    if (c.report == 4 && c.PrtBy == ReportConditions::ASM)
        captions.nameHeading = QStringLiteral("ASM") + QString(41, QLatin1Char(' '));
    return captions;
}

PrintRun printRunFor(const ReportConditions &c, const ReportOutput &built) {
    PrintRun run;
    run.report = c.report;
    run.lines = built.lines;
    run.totals = built.totals;
    run.salespeople = built.salespeople;
    run.headings = built.headings;
    run.captions = panelCaptions(c);
    run.dealerName = appSettings().DealerName;
    run.todayText = appSettings().TodayText;
    run.bySalesperson = c.PrtBy == ReportConditions::Salesperson;
    return run;
}

QString documentFileName(int report) {
    const ReportDescriptor *descriptor = reportDescriptor(report);
    return descriptor == nullptr ? QString() : descriptor->documentFile;
}

QString printedFilePath(const PrintRun &run) {
    const QString path =
        run.printer.fileName.isEmpty()
            ? PathMapping::toLocal(QStringLiteral(".\\") + documentFileName(run.report))
            : run.printer.fileName;
    return QFileInfo(path).absoluteFilePath();
}

bool printReport(const PrintRun &run, bool labelFormat) {
    const ReportDescriptor *report = reportDescriptor(run.report);
    if (report != nullptr && (report->accepts & Accepts::Format) && labelFormat)
        return PrintLabels(run.lines);
    return printList(run);
}
