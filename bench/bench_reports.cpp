// Times every report's build on a large table against the sqlite3 shell reading the same
// ordered selection, in the same run, and reports the ratios and the peak memory.
//   volmera_bench_reports [--db FILE] [--count N] [--runs R]
#include "BenchSupport.h"

#include "base/CliPrompter.h"
#include "domain/reports/ReportSelection.h"
#include "domain/reports/Reports.h"
#include "store/DealSchema.h"
#include "store/Recordset.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

double shellMs(const QString &path, const QString &order) {
    QElapsedTimer timer;
    QProcess shell;
    shell.setStandardOutputFile(QProcess::nullDevice());
    timer.start();
    shell.start(QStringLiteral("sqlite3"),
                {path, QStringLiteral("SELECT * FROM ZEL ORDER BY ") + order});
    shell.waitForFinished(-1);
    return timer.nsecsElapsed() / 1e6;
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({{"db", "Database file (made when missing).", "FILE", "bench-reports.mdb"},
                       {"count", "Deals in a new database.", "N", "100000"},
                       {"runs", "Runs of each measurement.", "R", "5"}});
    parser.process(app);
    const QString path = parser.value("db");
    const int runs = qMax(1, parser.value("runs").toInt());
    if (!QFileInfo::exists(path))
        fillWithDeals(path, parser.value("count").toInt());

    struct Case {
        const char *label;
        int report;
        int by;
    };
    const Case cases[] = {{"fi-log", 1, 0},
                          {"summary", 2, 0},
                          {"summary by salesperson", 2, 1},
                          {"gross-sales", 3, 0},
                          {"gross-sales by salesperson", 3, 1},
                          {"commission", 4, 0},
                          {"names", 5, 0},
                          {"letters", 6, 0},
                          {"anniversary", 7, 0},
                          {"birthday", 8, 0},
                          {"service", 9, 0},
                          {"model", 10, 0}};
    CliPrompter prompter(false);
    std::printf("%-28s %10s %10s %7s %8s\n", "report", "build ms", "shell ms", "ratio", "lines");
    for (const Case &k : cases) {
        ReportConditions c = benchConditions(k.report, k.by);
        std::vector<double> build, shell;
        qsizetype lines = 0;
        for (int r = 0; r < runs; ++r) {
            QElapsedTimer timer;
            timer.start();
            const ReportOutput out = buildReport(c, path, prompter);
            build.push_back(timer.nsecsElapsed() / 1e6);
            lines = out.lines.size();
            shell.push_back(shellMs(path, ReportSelection::orderText(c)));
        }
        const double b = median(build), s = median(shell);
        std::printf("%-28s %10.1f %10.1f %7.2f %8lld\n", k.label, b, s, b / s,
                    static_cast<long long>(lines));
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %.1f MB (medians of %d runs; %d cores)\n", usage.ru_maxrss / 1024.0,
                runs, QThread::idealThreadCount());
    return 0;
}
