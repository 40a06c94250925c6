#include "TestRegistry.h"
#include "domain/reports/Reports.h"
#include "fixtures/GoldenTable.h"

using Deal = FixtureDeals::Deal;

namespace {

ReportConditions january(int report, int prtBy = ReportConditions::Dealership,
                         int veh = ReportConditions::All) {
    ReportConditions c;
    c.report = report;
    c.BDT = QStringLiteral("01/01/2024");
    c.EDT = QStringLiteral("01/31/2024");
    c.PrtBy = prtBy;
    c.Veh = veh;
    return c;
}

// The deals of the group given, from reports/management/deals.txt.
QVector<Deal> deals(const QString &group) {
    return goldenDeals("reports/management/deals.txt", group);
}

} // namespace

class ManagementReportsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each report whole: lines, totals and salespeople, as its golden file under management/.
    void reports_data() {
        QTest::addColumn<ReportConditions>("conditions");
        QTest::addColumn<QVector<Deal>>("deals");
        QTest::addColumn<QString>("golden");
        const auto row = [](const char *name, const ReportConditions &c, const QVector<Deal> &list,
                            const char *golden) {
            QTest::newRow(name) << c << list << QString(golden);
        };
        const int dealership = ReportConditions::Dealership,
                  salesperson = ReportConditions::Salesperson;
        row("summary, none in range", january(2), deals("outside"), "summary-none");
        row("summary by salesperson, none in range", january(2, salesperson), deals("outside"),
            "summary-none");
        row("summary", january(2), deals("summary"), "summary");
        row("summary by salesperson", january(2, salesperson), deals("summary-by-salesperson"),
            "summary-by-salesperson");
        // Pack and term read as far as they are numbers.
        const auto packTerm = [](const QString &pack, const QString &term) {
            return QVector<Deal>{
                deal("DateSold=2024-01-02|NewUsed=N|Pack=" + pack + "|Term=" + term)};
        };
        row("summary, more than four decimals", january(2), packTerm("12.345678", "1.00001"),
            "summary-decimals");
        row("summary, leading blank", january(2), packTerm(" 99", " 24"), "summary-leading-blank");
        row("summary, text after the number", january(2), packTerm("1,234", "1.5 mo"),
            "summary-text-after");
        row("summary, no number", january(2), packTerm("abc", "-36"), "summary-no-number");
        row("gross sales", january(3), deals("gross"), "gross-all");
        row("gross sales, new: no class passes", january(3, dealership, ReportConditions::New),
            deals("gross"), "gross-new");
        row("gross sales, used", january(3, dealership, ReportConditions::Used), deals("gross"),
            "gross-used");
        row("gross sales, none in range", january(3), deals("gross").mid(3), "gross-none");
        row("gross sales by salesperson", january(3, salesperson), deals("gross-by-salesperson"),
            "gross-by-salesperson");
        row("gross sales by salesperson, none in range", january(3, salesperson),
            deals("gross").mid(3), "gross-by-salesperson-none");
        row("commission, shared and alone", january(4), deals("comm-shared"), "comm-shared");
        row("commission by ASM", january(4, ReportConditions::ASM), deals("comm-asm"), "comm-asm");
        row("commission, blank before slash, letter case", january(4), deals("comm-letter-case"),
            "comm-letter-case");
        row("commission, none in range", january(4), deals("comm-shared").mid(0, 1), "comm-none");
    }
    void reports() {
        QFETCH(ReportConditions, conditions);
        QFETCH(QVector<Deal>, deals);
        QFETCH(QString, golden);
        QCOMPARE(reportText(buildReport(conditions, deals)),
                 goldenLines("reports/management/" + golden + ".txt"));
    }

    // Hundreds of salespeople, one in two letter cases: a block each, in the order first met.
    void summaryManySalespeople() {
        QVector<Deal> list;
        for (int i = 0; i < 600; ++i)
            list << deal(QStringLiteral("DateSold=2024-01-02|NewUsed=N|Salesman=%1%2")
                             .arg(i % 2 ? "s" : "S")
                             .arg(i, 3, 10, QLatin1Char('0')));
        list << deal("DateSold=2024-01-03|NewUsed=N|Salesman=s000");
        const ReportOutput out = buildReport(january(2, ReportConditions::Salesperson), list);
        QCOMPARE(out.salespeople.size(), 600);
        QCOMPARE(out.salespeople.first(), QString("S000"));
        QCOMPARE(out.salespeople.last(), QString("s599"));
        QCOMPARE(out.lines.at(1), QString("              Sales        2         0         2"));
        QCOMPARE(out.lines.last(), QString("       Total Profit      0.00      0.00      0.00"
                                           "       0.00      0.00      0.00"));
    }

    // A failing move: retried twice without a word, then Retry or Cancel; a cancelled build
    // keeps the lines made so far and no totals.
    void failurePolicy_data() {
        QTest::addColumn<int>("report");
        QTest::addColumn<QVector<int>>("failAt");
        QTest::addColumn<int>("answer"); // 0: no box
        QTest::addColumn<int>("lines");
        const QVector<int> twice = {1, 2}, thrice = {1, 2, 3};
        QTest::newRow("two failures retried silently") << 3 << twice << 0 << 3;
        QTest::newRow("third failure, Retry") << 3 << thrice << int(Answer::Retry) << 3;
        QTest::newRow("third failure, Cancel") << 3 << thrice << int(Answer::Cancel) << 1;
        QTest::newRow("F&I log, Cancel") << 1 << thrice << int(Answer::Cancel) << 3;
        QTest::newRow("customer file, Cancel") << 5 << thrice << int(Answer::Cancel) << 2;
        QTest::newRow("customer file, Retry") << 5 << thrice << int(Answer::Retry) << 6;
    }
    void failurePolicy() {
        QFETCH(int, report);
        QFETCH(QVector<int>, failAt);
        QFETCH(int, answer);
        QFETCH(int, lines);
        FixtureDeals source(deals("gross"));
        source.failAt = failAt;
        source.readableFor(report);
        ScriptedPrompter prompter;
        if (answer != 0)
            prompter.answer(answer);
        BuildPolicy policy(prompter);
        const ReportOutput out = reportDescriptor(report)->build(january(report), source, policy);
        QCOMPARE(prompter.shown.size(), answer != 0 ? 1 : 0);
        if (answer != 0) {
            QCOMPARE(prompter.shown.first().text, QString("The deal database is busy."));
            QCOMPARE(prompter.shown.first().style, int(Style::RetryCancel));
            QCOMPARE(prompter.shown.first().title, QString());
        }
        const bool cancelled = answer == Answer::Cancel;
        QCOMPARE(out.cancelled, cancelled);
        QCOMPARE(out.lines.size(), lines);
        if (report == 3)
            QCOMPARE(out.lines.first(), goldenLines("reports/management/gross-all.txt").first());
        QCOMPARE(out.totals.size(), cancelled || report == 5 ? 0 : 1);
    }
};

REGISTER_TEST(ManagementReportsTest);
#include "tst_management.moc"
