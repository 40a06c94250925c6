// Times printing each report to its document file against building the same report, on the
// same large table, and reports the ratios (print / build).
//   volmera_bench_printing [--db FILE] [--count N] [--runs R]
#include "BenchSupport.h"

#include "base/AppSettings.h"
#include "base/CliPrompter.h"
#include "domain/reports/Labels.h"
#include "domain/reports/PrinterPort.h"
#include "domain/reports/ReportPrinting.h"
#include "domain/reports/Reports.h"
#include "store/DealSchema.h"
#include "store/Recordset.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({{"db", "Database file (made when missing).", "FILE", "bench-reports.mdb"},
                       {"count", "Deals in a new database.", "N", "100000"},
                       {"runs", "Runs of each measurement.", "R", "5"}});
    parser.process(app);
    const QString path = QFileInfo(parser.value("db")).absoluteFilePath();
    const int runs = qMax(1, parser.value("runs").toInt());
    if (!QFileInfo::exists(path))
        fillWithDeals(path, parser.value("count").toInt());

    // The document files and the captured label jobs go to a scratch folder.
    QTemporaryDir scratch;
    QDir::setCurrent(scratch.path());
    PrinterPort::captureJobsIn(scratch.path());
    CliPrompter prompter(true);
    Prompter::install(&prompter);
    appSettings().DealerName = QStringLiteral("BENCH MOTORS");
    appSettings().TodayText = QStringLiteral("12/31/2026");

    struct Case {
        const char *label;
        int report;
        int by;
        bool labels;
    };
    const Case cases[] = {{"fi-log", 1, 0, false},
                          {"summary by salesperson", 2, 1, false},
                          {"gross-sales", 3, 0, false},
                          {"gross-sales by salesperson", 3, 1, false},
                          {"commission", 4, 0, false},
                          {"names", 5, 0, false},
                          {"names, mailing labels", 5, 0, true},
                          {"anniversary", 7, 0, false},
                          {"birthday", 8, 0, false},
                          {"service", 9, 0, false},
                          {"model", 10, 0, false}};
    std::printf("%-28s %10s %10s %7s %8s %10s\n", "report", "build ms", "print ms", "ratio",
                "lines", "file KB");
    for (const Case &k : cases) {
        ReportConditions c = benchConditions(k.report, k.by);
        c.PrtFmt = k.labels ? ReportConditions::LabelFormat : ReportConditions::LineFormat;
        std::vector<double> build, printed;
        qsizetype lines = 0;
        qint64 size = 0;
        for (int r = 0; r < runs; ++r) {
            QElapsedTimer timer;
            timer.start();
            const ReportOutput out = buildReport(c, path, prompter);
            build.push_back(timer.nsecsElapsed() / 1e6);
            lines = out.lines.size();
            PrintRun run = printRunFor(c, out);
            run.printer.toFile = true;
            PrinterPort::captureJobsIn(scratch.path());
            timer.start();
            printReport(run, k.labels);
            printed.push_back(timer.nsecsElapsed() / 1e6);
            size = k.labels ? QFileInfo(scratch.filePath("0001-LPT1.prn")).size()
                            : QFileInfo(documentFileName(k.report)).size();
        }
        const double b = median(build), p = median(printed);
        std::printf("%-28s %10.1f %10.1f %7.2f %8lld %10lld\n", k.label, b, p, p / b,
                    static_cast<long long>(lines), static_cast<long long>(size / 1024));
    }
    Prompter::install(nullptr);
    return 0;
}
