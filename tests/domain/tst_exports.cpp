#include "TestRegistry.h"

#include "base/ScriptedPrompter.h"
#include "domain/charts/ChartPainter.h"
#include "domain/export/ReportExport.h"
#include "domain/reports/Pagination.h"
#include "domain/reports/ReportPrinting.h"
#include "domain/reports/Reports.h"
#include "fixtures/CommandRun.h"
#include "fixtures/GoldenTable.h"

#include <QRegularExpression>
#include <QTemporaryDir>

namespace {
ReportConditions january(int report) {
    ReportConditions c;
    c.report = report;
    c.BDT = QStringLiteral("01/01/2024");
    c.EDT = QStringLiteral("01/31/2024");
    return c;
}

ReportOutput build(const ReportConditions &c) {
    FixtureDeals source(goldenDeals("exports/deals.txt", "january"));
    ScriptedPrompter prompter;
    BuildPolicy policy(prompter);
    return reportDescriptor(c.report)->build(c, source, policy);
}

// What a program writes to its standard output; a program that fails fails the test.
QString output(const QString &program, const QStringList &arguments) {
    const CommandRun run = runProgram(program, arguments);
    if (run.status != 0)
        qWarning() << program << arguments << run.err;
    return run.out;
}

// A PDF read back keeps the words of each line and their order, not the blanks between them.
QStringList words(const QString &text) {
    QStringList lines;
    for (const QString &line : text.split(u'\n')) {
        if (const QString simple = line.simplified(); !simple.isEmpty())
            lines << simple;
    }
    return lines;
}

// The numbers of a text (thousands separators dropped), in cents.
QList<qint64> cents(const QStringList &texts) {
    static const QRegularExpression number(QStringLiteral("-?[0-9][0-9,]*(\\.[0-9]+)?"));
    QList<qint64> all;
    for (const QString &text : texts) {
        for (const auto &m : number.globalMatch(text))
            all << qRound64(m.captured().remove(u',').toDouble() * 100);
    }
    return all;
}

} // namespace

// The exports read back by other programs: the PDF by pdftotext and pdfinfo, the CSV by
// Python's csv module, the spreadsheet by xlsx2csv; and the charts by their pixels.
class ExportsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private Q_SLOTS:
    void pdfHoldsThePrintedPages_data() {
        QTest::addColumn<int>("report");
        QTest::addColumn<bool>("a4");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("size");
        const QString letter = "612 x 792 pts (letter)", wide = "792 x 612 pts (letter)";
        QTest::newRow("F&I log: a landscape page") << 1 << false << 1 << wide;
        QTest::newRow("summary and its chart") << 2 << false << 2 << letter;
        QTest::newRow("gross sales on A4") << 3 << true << 1 << "595 x 842 pts (A4)";
        QTest::newRow("birth dates") << 8 << false << 1 << letter;
        QTest::newRow("trend and its chart") << 11 << false << 2 << letter;
        QTest::newRow("scoreboard: wide, and its chart") << 12 << false << 2 << wide;
    }
    void pdfHoldsThePrintedPages() {
        QFETCH(int, report);
        QFETCH(bool, a4);
        QFETCH(int, pages);
        QFETCH(QString, size);
        const ReportConditions c = january(report);
        const ReportOutput built = build(c);
        const QString pdf = dir.filePath("report.pdf");
        exportReport(c, built, pdf, a4 ? PdfOptions::A4 : PdfOptions::Letter);

        const QString info = output("pdfinfo", {pdf});
        QCOMPARE(info.section("Pages:", 1).section('\n', 0, 0).trimmed(), QString::number(pages));
        QCOMPARE(info.section("Page size:", 1).section('\n', 0, 0).trimmed(), size);
        // The document file's lines, page by page; the chart on its own last page.
        const QList<PrintedPage> printed = paginate(printRunFor(c, built));
        QString document;
        for (const PrintedPage &page : printed)
            document += page.lines.join(u'\n') + u'\n';
        const QString last = QString::number(printed.size());
        QCOMPARE(words(output("pdftotext", {"-layout", "-l", last, pdf, "-"})), words(document));
        if (!built.chart.isEmpty()) {
            const QString next = QString::number(printed.size() + 1);
            const QString chartPage = output("pdftotext", {"-f", next, "-l", next, pdf, "-"});
            QVERIFY2(words(chartPage).contains(built.chart.title), qPrintable(chartPage));
        }
    }

    void sheetsReadBack_data() {
        QTest::addColumn<int>("report");
        QTest::addColumn<int>("by");
        QTest::addColumn<QString>("golden"); // the CSV's rows
        QTest::addColumn<QString>("filter"); // the spreadsheet's auto-filter
        QTest::addColumn<QString>("totals"); // the text report's totals caption; else its last line
        QTest::addColumn<QList<int>>("totalColumns"); // the CSV columns of the text's totals
        const auto row = [](const char *name, int report, const char *golden, const char *filter,
                            const char *totals, const QList<int> &columns,
                            int by = ReportConditions::Dealership) {
            QTest::newRow(name) << report << by << QString(golden) << QString(filter)
                                << QString(totals) << columns;
        };
        row("F&I log: a row a deal, sums below", 1, "fi-log", "A1:Q4", "lblFILogTtl",
            {11, 12, 13, 14, 15, 16});
        row("gross sales by salesperson: grouped rows", 3, "gross-sales-by-salesperson", "A1:K4",
            "lblGSRTtl", {8, 9, 10}, ReportConditions::Salesperson);
        row("commission: a row a salesperson", 4, "commission", "A1:F3", "lblCommTtl",
            {1, 2, 3, 4, 5});
        row("birth dates: a row a person, the birth date a date", 8, "birth-dates", "A1:L3", "",
            {});
        // Penetration over every deal: service contracts 2 of 3, GAP 2 of 3 whatever its case.
        row("scoreboard: the figures of the three deals", 12, "scoreboard", "A1:M5", "",
            {3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    }
    void sheetsReadBack() {
        QFETCH(int, report);
        QFETCH(int, by);
        QFETCH(QString, golden);
        QFETCH(QString, filter);
        QFETCH(QString, totals);
        QFETCH(QList<int>, totalColumns);
        ReportConditions c = january(report);
        c.PrtBy = by;
        c.dealRows = true;
        const ReportOutput built = build(c);
        const QString csv = dir.filePath("report.csv"), xlsx = dir.filePath("report.xlsx");
        exportReport(c, built, csv);
        exportReport(c, built, xlsx);

        // Read by Python's csv module, a row a line, fields between bars.
        const QString python = "import csv, sys\n"
                               "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                               "    for row in csv.reader(f, strict=True): print('|'.join(row))\n";
        const QString rows = output("python3", {"-c", python, csv});
        QCOMPARE(rows, goldenText("exports/" + golden + ".txt"));
        const QStringList read = rows.split(u'\n');

        // The spreadsheet shows what the CSV file holds: dates as dates, amounts as numbers.
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString csvText = QString::fromUtf8(file.readAll()).remove(u'\r');
        QCOMPARE(output("xlsx2csv", {"--dateformat", "%m/%d/%Y", xlsx}), csvText);
        const QString zip = "import sys, zipfile\n"
                            "print(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]).decode())\n";
        const QString sheetXml = output("python3", {"-c", zip, xlsx, "xl/worksheets/sheet1.xml"});
        QVERIFY(sheetXml.contains(R"(<pane ySplit="1" topLeftCell="A2" activePane="bottomLeft" )"
                                  R"(state="frozen"/>)"));
        QCOMPARE(sheetXml.section("<autoFilter ref=\"", 1).section('"', 0, 0), filter);
        if (read.value(1).startsWith("01/05/2024")) // the serial day number of 01/05/2024
            QVERIFY(sheetXml.contains(QRegularExpression(R"(<c r="A2" s="\d+"><v>45296</v>)")));

        // The totals row holds the text report's totals to the cent.
        if (totalColumns.isEmpty())
            return;
        QString text = built.lines.last();
        for (const auto &[label, caption] : built.totals) {
            if (label == totals)
                text = caption;
        }
        const QStringList totalRow = read.value(built.sheet.dataRows() + 1).split(u'|');
        QStringList fields;
        for (const int column : totalColumns)
            fields << totalRow.value(column);
        QCOMPARE(cents({text}), cents(fields));
    }

    // Bars stand where their values say: the bar's colour just below its computed top, not
    // just above it.
    void chartBars_data() {
        QTest::addColumn<int>("report");
        QTest::addColumn<int>("plot");
        QTest::addColumn<int>("series");
        QTest::addColumn<int>("category");
        QTest::addColumn<double>("value");
        for (const QStringList &r : goldenTable("exports/chart-bars.txt"))
            QTest::newRow(qPrintable(r.value(0)))
                << r.value(1).toInt() << r.value(2).toInt() << r.value(3).toInt()
                << r.value(4).toInt() << r.value(5).toDouble();
    }
    void chartBars() {
        QFETCH(int, report);
        QFETCH(int, plot);
        QFETCH(int, series);
        QFETCH(int, category);
        QFETCH(double, value);
        const Chart chart = build(january(report)).chart;
        const QSize size(900, 700);
        const QImage image = chartImage(chart, size);
        const PlotFrame frame = chartFrames(chart, QRectF(QPointF(0, 0), QSizeF(size))).at(plot);
        const int x = qRound(frame.bars.at(series).at(category).center().x());
        const int top = qRound(frame.yOf(value));
        const QRgb colour = seriesColor(series).rgb();
        QCOMPARE(QColor(image.pixel(x, top + 2)).name(), QColor(colour).name());
        QVERIFY(image.pixel(x, top - 3) != colour);
        QCOMPARE(QColor(image.pixel(x, qRound(frame.yOf(0)) - 2)).name(), QColor(colour).name());
    }
};

REGISTER_TEST(ExportsTest);
#include "tst_exports.moc"
