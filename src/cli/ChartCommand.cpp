#include "cli/ChartCommand.h"

#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/ErrorTrap.h"
#include "base/PathMapping.h"
#include "base/Prompter.h"
#include "cli/CommandLine.h"
#include "cli/ReportCommand.h"
#include "domain/charts/ChartPainter.h"
#include "domain/export/PdfPages.h"
#include "domain/reports/Reports.h"
#include "domain/startup/ZELMain.h"

#include <QDir>
#include <QFileInfo>

using namespace CommandLine;

namespace {
// The reports that draw a chart, by their command-line names.
QStringList chartedReports() {
    QStringList names;
    for (const ReportDescriptor &report : reportTable()) {
        if (report.charted)
            names << report.name;
    }
    return names;
}
} // namespace

int runChartCommand(const QStringList &arguments) {
    QCommandLineParser p;
    p.addPositionalArgument("kind", chartedReports().join(QStringLiteral(", ")) + u'.');
    addReportConditionOptions(p);
    p.addOptions({
        {"out", "The file to draw: .png, .svg or .pdf (a landscape page).", "FILE"},
        {"size", "The picture's size in pixels (default 1200x800).", "WxH"},
        {"paper", "The PDF's paper: letter or a4 (default letter).", "paper"},
    });
    int status = Success;
    if (!parse(p, QStringLiteral("chart"), arguments, status))
        return status;
    const QStringList kindArgs = p.positionalArguments();
    const ReportDescriptor *kind = kindArgs.size() == 1 ? reportNamed(kindArgs[0]) : nullptr;
    if (kind == nullptr || !kind->charted)
        return usageError(QStringLiteral("chart: name one charted report: ") +
                          chartedReports().join(QStringLiteral(", ")));
    const QString out = p.value("out");
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (!p.isSet("out") || (suffix != "png" && suffix != "svg" && suffix != "pdf"))
        return usageError(QStringLiteral("chart: --out names the file to draw: .png, .svg or "
                                         ".pdf"));
    QSize size(1200, 800);
    if (p.isSet("size")) {
        const QStringList wh = p.value("size").split(u'x');
        bool w = false, h = false;
        size = wh.size() == 2 ? QSize(wh[0].toInt(&w), wh[1].toInt(&h)) : QSize();
        if (!w || !h || size.width() < 200 || size.height() < 150 || size.width() > 8000 ||
            size.height() > 8000)
            return usageError(QStringLiteral("chart: --size takes WIDTHxHEIGHT in pixels, from "
                                             "200x150 to 8000x8000"));
    }
    PdfOptions options;
    if (p.isSet("paper") && (suffix != "pdf" || !paperNamed(p.value("paper"), options.paper)))
        return usageError(QStringLiteral("chart: --paper takes letter or a4, for a .pdf"));
    if (!readToday(p, QStringLiteral("chart")))
        return UsageError;
    ReportConditions c;
    c.report = kind->selector;
    c.EDT = Clock::todayText();
    if (const QString problem = readReportConditions(p, c); !problem.isEmpty())
        return usageError(QStringLiteral("chart: ") + problem);

    AppSettings &settings = appSettings();
    settings.DatabasePath = Defaults::DatabasePath;
    if (!dealDatabaseThere(QStringLiteral("chart")))
        return Failure;
    settings.TodayText = Clock::todayText();
    const ReportOutput built =
        buildReport(c, PathMapping::toLocal(settings.DatabasePath), Prompter::current());
    if (built.cancelled) {
        print(stderr, QStringLiteral("volmera: chart: the build was cancelled; nothing was "
                                     "drawn.\n"));
        return Failure;
    }
    const QString path = QDir(callerFolder()).absoluteFilePath(out);
    try {
        options.chart = built.chart;
        if (suffix == QLatin1String("pdf"))
            writePdf({}, path, options);
        else
            writeChart(built.chart, path, size);
    } catch (const VolmeraError &e) {
        print(stderr, QStringLiteral("volmera: chart: ") + e.description() + u'\n');
        return Failure;
    }
    print(stdout, path + u'\n');
    return Success;
}
