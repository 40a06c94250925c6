#include "domain/reports/ReportPrinting.h"

#include "base/AppSettings.h"
#include "base/ErrorTrap.h"
#include "base/Format.h"
#include "base/PathMapping.h"
#include "domain/reports/Labels.h"
#include "domain/reports/PrinterPort.h"
#include "domain/reports/ReportSelection.h"
#include "domain/reports/Reports.h"

#include <QFile>
#include <QFileInfo>
#include <memory>

using ReportSelection::rtrim;

namespace {
const QString salesmanMark = QStringLiteral("(Salesman)");

// A printed line whose texts stand at given columns (counted from 1). A text that would start
// left of its column's place, because the line is already longer, simply follows.
class Columns {
public:
    Columns &at(int column, const QString &text) {
        if (line.size() < column - 1)
            line.resize(column - 1, QLatin1Char(' '));
        line += text;
        return *this;
    }
    Columns &then(const QString &text) {
        line += text;
        return *this;
    }
    operator QString() const { return line; }

private:
    QString line;
};

using Header = PageLayout::Header;
using Step = PageLayout::Step;
using Totals = PageLayout::Totals;
using Layout = PageLayout;

// The salesperson of a group line: the text before the blank in front of "(Salesman)".
QString groupName(const QString &line) {
    const qsizetype mark = line.indexOf(salesmanMark);
    return rtrim(line.left(qMax<qsizetype>(0, mark - 1)));
}

QString totalOf(const PrintRun &run, const QString &label) {
    for (const auto &[name, caption] : run.totals) {
        if (name == label)
            return rtrim(caption);
    }
    return {};
}

// One print run: the destination, the page, the position in the list.
class Printout {
public:
    Printout(const PrintRun &run, const Layout &layout, ErrorTrap &trap, Prompter &prompter)
        : run(run), lay(layout), trap(trap), prompter(prompter),
          documentPath(PathMapping::toLocal(QStringLiteral(".\\") + documentFileName(run.report))),
          compressed(run.compressed && layout.header == Header::FILog) {}

    void print() {
        const QStringList &lines = run.lines;
        if (lines.isEmpty())
            return;
        const bool bySalesperson = lay.salespersons && run.bySalesperson;
        const QString chosen = rtrim(run.salesperson);
        const bool one = bySalesperson && chosen != QLatin1String("ALL");
        bool totalsWanted = false;
        if (bySalesperson)
            current = one ? chosen : run.salespeople.value(0);
        else
            totalsWanted = lay.totals != Totals::None;

        if (run.toFile) {
            // A file left from an earlier run is replaced, never extended: when it cannot be
            // removed the run stops rather than append to it.
            if (!trap.run([&] { removeOldDocument(); }))
                return;
        } else if (prompter.msgBox(QStringLiteral("INSERT BLANK SHEET OF PAPER IN PRINTER"),
                                   Style::OKCancel) != Answer::OK) {
            return;
        }

        const qsizetype end = lines.size();
        bool firstPass = true;
        bool pageEndMade = false;
        do {
            openPage();
            printHeader();
            counter = 1;
            if (firstPass && one) {
                // Printing starts at the chosen salesperson's group line; without one the
                // printout is the page header alone.
                while (pos < end && !(lines[pos].contains(salesmanMark) &&
                                      groupName(rtrim(lines[pos])) == chosen))
                    ++pos;
                if (pos >= end)
                    break;
            }
            firstPass = false;
            pageEndMade = false;
            bool pageEnd = false;
            do {
                const QString text = rtrim(lines[pos]);
                if (lay.salespersons && text.contains(salesmanMark)) {
                    ++pos;
                    const QString name = groupName(text);
                    if (name != current) {
                        if (one) {
                            pos = end;
                        } else {
                            pageEnd = true;
                            ++page;
                            current = name;
                        }
                    }
                } else if (lay.skipEmpty && text.isEmpty()) {
                    ++pos;
                } else {
                    printStep(text);
                }
                if (lay.pageLimit > 0 && counter + lay.lookAhead >= lay.pageLimit) {
                    pageEnd = true;
                    ++page;
                }
                if (totalsWanted && pageEnd && pos >= end) {
                    printTotals();
                    totalsWanted = false;
                    pageEnd = false;
                }
                if (pageEnd) {
                    pageEndMade = true;
                    if (!endPage(pos >= end))
                        return;
                }
            } while (pos < end && !pageEndMade);
        } while (pos < end);
        if (totalsWanted && !pageEndMade)
            printTotals();
        if (compressed && out)
            write(QByteArrayLiteral("\x12"));
        closePage();
    }

private:
    void removeOldDocument() {
        QFile old(documentPath);
        if (old.exists() && !old.remove())
            throw VolmeraError(
                QStringLiteral("The document file %1 cannot be replaced: %2")
                    .arg(QFileInfo(documentPath).absoluteFilePath(), old.errorString()));
    }

    void openPage() {
        closePage();
        trap.run([&] {
            if (run.toFile) {
                out = PrinterPort::documentFile(documentPath);
            } else {
                const QString name = documentFileName(run.report).section(QLatin1Char('.'), 0, 0);
                out = PrinterPort::defaultPrinter(QStringLiteral("%1 page %2").arg(name).arg(page));
            }
        });
    }

    void closePage() {
        if (out)
            trap.run([&] { out->close(); });
        out.reset();
    }

    // A stream that could not be opened takes nothing; its failure is the one reported.
    void line(const QString &text) {
        if (out)
            trap.run([&] { out->writeLine(text); });
    }
    void write(const QByteArray &bytes) {
        if (out)
            trap.run([&] { out->write(bytes); });
    }

    // Ends the page; false when the user cancelled at the paper prompt.
    bool endPage(bool last) {
        if (run.toFile) {
            for (int i = 0; i < lay.fileEndRows; ++i)
                line(QString());
        } else if (run.continuous) {
            line(QStringLiteral("\f"));
        }
        // The printer leaves compressed print at the end of the printout's last page.
        if (last && compressed)
            write(QByteArrayLiteral("\x12"));
        closePage();
        if (run.continuous || run.toFile)
            return true;
        return prompter.msgBox(QStringLiteral("INSERT A FRESH BLANK PAPER IN PRINTER"),
                               Style::OKCancel) == Answer::OK;
    }

    void printStep(const QString &text) {
        const QStringList &lines = run.lines;
        switch (lay.step) {
        case Step::Line:
            line(text);
            ++pos;
            ++counter;
            break;
        case Step::Block:
        case Step::Entry:
            for (int i = 0; i < lay.stepLines && pos < lines.size(); ++i)
                line(lines[pos++]);
            if (lay.step == Step::Entry)
                counter += lay.stepLines;
            break;
        case Step::Deal:
            line(Columns().then(text + QLatin1Char(' ')).at(63, lines.value(pos + 1).right(72)));
            pos += 3;
            ++counter;
            break;
        }
    }

    void printHeader() {
        const PrintCaptions &c = run.captions;
        const QString today =
            formatDate(QDate::fromString(run.todayText, QStringLiteral("MM/dd/yyyy")),
                       QStringLiteral("mmm d, yyyy"));
        const QString pageText = QStringLiteral("Page: ") + QString::number(page);
        const QString dates = c.from + u' ' + c.beginDate + u' ' + c.to + u' ' + c.endDate +
                              QStringLiteral("   ") + c.vehicleClass;
        if (lay.header == Header::FILog) {
            if (compressed)
                line(QStringLiteral("\x12\x0f"));
            QString first =
                today + QStringLiteral("   ") + run.dealerName + QStringLiteral("  F & I    L O G");
            if (!current.isEmpty())
                first += QStringLiteral("  (") + current + u')';
            line(first);
            line(QString());
            line(Columns()
                     .at(8, QStringLiteral("F&I MGR ") + c.fiManager)
                     .at(30, dates)
                     .at(115, pageText));
            line(QString());
            line(Columns()
                     .at(58, QStringLiteral("Fin."))
                     .at(78, QStringLiteral("Fin."))
                     .at(86, QStringLiteral("Srv. Cnt."))
                     .at(97, QStringLiteral("Credit"))
                     .at(118, QStringLiteral("Other"))
                     .at(129, QStringLiteral("Deal")));
            line(Columns()
                     .at(1, QStringLiteral("Date"))
                     .at(7, QStringLiteral("Name"))
                     .at(23, QStringLiteral("Stock #"))
                     .at(32, QStringLiteral("Vehicle Description"))
                     .at(58, QStringLiteral("Src."))
                     .at(63, QStringLiteral("Term"))
                     .at(68, QStringLiteral("APR"))
                     .at(77, QStringLiteral("Reserve"))
                     .at(87, QStringLiteral("Reserve"))
                     .at(98, QStringLiteral("Life"))
                     .at(105, QStringLiteral("Disability"))
                     .at(117, QStringLiteral("Profit"))
                     .at(128, QStringLiteral("Total")));
            return;
        }
        QString first = today + QStringLiteral("   ") + run.dealerName;
        if (!current.isEmpty())
            first += QStringLiteral(" (") + current + u')';
        line(first);
        line(QString());
        line(Columns().at(20, c.title));
        line(Columns().at(68, pageText));
        line(Columns().at(20, dates));
        line(QString());
        switch (lay.header) {
        case Header::GSR:
            line(Columns()
                     .at(1, QStringLiteral("Date"))
                     .at(7, QStringLiteral("Name"))
                     .at(18, QStringLiteral("Vehicle Description"))
                     .at(55, QStringLiteral("Gross"))
                     .at(66, QStringLiteral("Pack"))
                     .at(76, QStringLiteral("Net")));
            break;
        case Header::Comm:
            line(Columns()
                     .at(26, QStringLiteral("Total"))
                     .at(36, QStringLiteral("Total"))
                     .at(45, QStringLiteral("Total New"))
                     .at(58, QStringLiteral("Total Used"))
                     .at(73, QStringLiteral("Total")));
            line(Columns()
                     .at(1, c.nameHeading.left(8))
                     .at(27, QStringLiteral("New"))
                     .at(37, QStringLiteral("Used"))
                     .at(44, QStringLiteral("Commissions"))
                     .at(57, QStringLiteral("Commissions"))
                     .at(70, QStringLiteral("Commissions")));
            break;
        case Header::Summary:
            line(Columns()
                     .at(9, QStringLiteral("Totals"))
                     .at(25, QStringLiteral("New"))
                     .at(34, QStringLiteral("Used"))
                     .at(43, QStringLiteral("Total"))
                     .at(56, QStringLiteral("New"))
                     .at(65, QStringLiteral("Used"))
                     .at(74, QStringLiteral("Total")));
            break;
        default:
            break;
        }
    }

    void printTotals() {
        switch (lay.totals) {
        case Totals::GSR:
            line(Columns().at(46, QStringLiteral("Total ") + totalOf(run, "lblGSRTtl")));
            break;
        case Totals::Comm:
            line(Columns().at(17, QStringLiteral("Total ") + totalOf(run, "lblCommTtl")));
            line(QString());
            line(Columns().at(26,
                              QStringLiteral("Average Commission ") + totalOf(run, "lblCommAv")));
            break;
        case Totals::FILog:
            line(Columns().at(69, QStringLiteral("Total  ") + totalOf(run, "lblFILogTtl")));
            break;
        case Totals::None:
            break;
        }
    }

    const PrintRun &run;
    const Layout &lay;
    ErrorTrap &trap;
    Prompter &prompter;
    const QString documentPath;
    const bool compressed; // the F&I log's control characters
    std::unique_ptr<PrintStream> out;
    int page = 1;
    int counter = 0;
    qsizetype pos = 0;
    QString current;
};

bool printList(const PrintRun &run) {
    const ReportDescriptor *report = reportDescriptor(run.report);
    if (report == nullptr || report->layout.header == Header::None)
        return true; // the letters print from their own panel
    const Layout &layout = report->layout;
    ErrorTrap trap(layout.tag);
    Prompter &prompter = Prompter::current();
    Printout(run, layout, trap, prompter).print();
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
    captions.endDate = c.EDT;
    // Only the gross sales panel and the customer lists' panel name the class chosen.
    if ((c.report == 3 || c.report >= 5) && c.Veh != ReportConditions::All)
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

bool printReport(const PrintRun &run, bool labelFormat) {
    const ReportDescriptor *report = reportDescriptor(run.report);
    if (report != nullptr && (report->accepts & Accepts::Format) && labelFormat)
        return PrintLabels(run.lines);
    return printList(run);
}
