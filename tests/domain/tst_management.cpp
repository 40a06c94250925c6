#include "TestRegistry.h"
#include "base/ScriptedPrompter.h"
#include "domain/reports/Builders.h"
#include "domain/reports/Reports.h"
#include "fixtures/FixtureDeals.h"
#include "fixtures/Golden.h"

using namespace DealSchema;
using Deal = FixtureDeals::Deal;
using Builder = ReportOutput (*)(const ReportConditions &, DealSource &, BuildPolicy &);
using Totals = QList<QPair<QString, QString>>;

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

ReportOutput run(Builder build, const ReportConditions &c, const QVector<Deal> &deals) {
    FixtureDeals source(deals);
    source.readableFor(c.report);
    ScriptedPrompter prompter;
    BuildPolicy policy(prompter);
    return build(c, source, policy);
}

const QStringList zeroBlock = goldenLines("reports/summary-zero.txt");

// Gross sales deals: a long name, stock number and vehicle and a full-width amount; a used deal
// without pack; a deal without a class on the range's last day; one after the range.
const QVector<Deal> grossDeals = {
    deal("DateSold=2024-01-05|ByLName=WASHINGTONIAN|StkNbr=STK1234567|NewUsed=N|Year=2024|"
         "Make=CHEVROLET |Model=SILVERADO|UnitPrft=123456.78|Pack=300"),
    deal("DateSold=2024-01-07|ByLName=LEE|StkNbr=A1|NewUsed=U|Year=2019|Make=FORD|Model=F150|"
         "UnitPrft=1250.50"),
    deal("DateSold=2024-01-31|ByLName=KING|StkNbr=B2|Year=2020|Make=HONDA|Model=CIVIC|"
         "UnitPrft=-100|Pack=200"),
    deal("DateSold=2024-02-01|ByLName=LATE|NewUsed=N|UnitPrft=999"),
};
const QString grossLine1 =
    "01/05 WASHINGTON STK12345 N 2024 CHEVROLET SILVERA 123456.78    300.00 123756.78";
const QString grossLine2 =
    "01/07 LEE        A1       U 2019 FORD F150           1250.50      0.00   1250.50";
const QString grossLine3 =
    "01/31 KING       B2        2020 HONDA CIVIC          -100.00    200.00    100.00";

} // namespace

class ManagementReportsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void summaryEmpty_data() {
        QTest::addColumn<int>("prtBy");
        QTest::addColumn<QVector<Deal>>("deals");
        const QVector<Deal> outside = {deal("DateSold=2023-12-31|Salesman=ADAMS|NewUsed=N"),
                                       deal("DateSold=2024-02-01|Salesman=ADAMS|NewUsed=U"),
                                       deal("Salesman=ADAMS|NewUsed=U")}; // no sale date
        QTest::newRow("none in range") << int(ReportConditions::Dealership) << outside;
        QTest::newRow("by salesperson, none in range")
            << int(ReportConditions::Salesperson) << outside;
    }
    void summaryEmpty() {
        QFETCH(int, prtBy);
        QFETCH(QVector<Deal>, deals);
        const ReportOutput out = run(DoSummary, january(2, prtBy), deals);
        QCOMPARE(out.lines, zeroBlock);
        QVERIFY(out.salespeople.isEmpty());
        QVERIFY(!out.cancelled);
    }

    void summaryWorkedCase() {
        const QVector<Deal> deals = {
            deal("DateSold=2024-01-02|NewUsed=N|Term=60|FinRes=500.00|SrvRes=300|SrvElig=Y|"
                 "LifeRes=100|AHRes=0|LAHElig=Y|PrftAmt1=200|Pack=400|UnitPrft=1000"),
            // Term 1 is not financed; a Null SrvElig is eligible.
            deal("DateSold=2024-01-03|NewUsed=N|Term=1|FinRes=250|SrvRes=0|LifeRes=0|AHRes=50|"
                 "LAHElig=N|Pack=400|UnitPrft=501"),
            // Not eligible for a service contract, yet its reserve counts.
            deal("DateSold=2024-01-04|NewUsed=U|Term=36|FinRes=300.01|SrvRes=200|SrvElig=N|"
                 "LifeRes=75|AHRes=25|LAHElig=Y|PrftAmt1=-10|Pack=300|UnitPrft=1200"),
            deal("DateSold=2024-01-31|NewUsed=U|Term=2|FinRes=200|SrvRes=100|SrvElig=Y|LAHElig=Y|"
                 "PrftAmt2=50|PrftAmt3=25|Pack=300|UnitPrft=800"),
            deal("DateSold=2024-01-10|NewUsed=n|Pack=999|UnitPrft=999"),
            deal("DateSold=2024-01-10|NewUsed=|Pack=999|UnitPrft=999"),
            deal("DateSold=2024-02-01|NewUsed=N|Pack=999|UnitPrft=999"),
        };
        QCOMPARE(run(DoSummary, january(2), deals).lines,
                 goldenLines("reports/summary-worked.txt"));
    }

    void summaryReadsLeadingNumbers_data() {
        QTest::addColumn<QString>("pack");
        QTest::addColumn<QString>("term");
        QTest::addColumn<QString>("packShown");
        QTest::addColumn<QString>("financed");
        const auto row = [](const char *name, const char *pack, const char *term,
                            const char *packShown, int financed) {
            QTest::newRow(name) << QString(pack) << QString(term) << QString(packShown)
                                << QString("      %1").arg(financed);
        };
        row("more than four decimals", "12.345678", "1.00001", "    12.35", 1);
        row("leading blank", " 99", " 24", "    99.00", 1);
        row("text after the number", "1,234", "1.5 mo", "     1.00", 1);
        row("no number", "abc", "-36", "     0.00", 0);
    }
    void summaryReadsLeadingNumbers() {
        QFETCH(QString, pack);
        QFETCH(QString, term);
        QFETCH(QString, packShown);
        QFETCH(QString, financed);
        const QStringList lines =
            run(DoSummary, january(2),
                {deal("DateSold=2024-01-02|NewUsed=N|Pack=" + pack + "|Term=" + term)})
                .lines.toStringList();
        QCOMPARE(lines.size(), zeroBlock.size());
        QCOMPARE(lines.at(19).mid(20, 9), packShown);
        QCOMPARE(lines.at(1).mid(21, 7), financed);
    }

    // Salespeople in the order the store gives them: letter case aside, then by date.
    void summaryBySalesperson() {
        const QVector<Deal> deals = {
            deal("DateSold=2024-01-03|Salesman=ADAMS|NewUsed=U|Term=48|FinRes=200|Pack=100|"
                 "UnitPrft=900"),
            deal("DateSold=2024-01-05|Salesman=adams /BAKER|NewUsed=U|Term=1|Pack=100|"
                 "UnitPrft=500"),
            deal("DateSold=2024-01-04|Salesman=Baker|NewUsed=N|UnitPrft=1000"),
            deal("DateSold=2024-02-10|Salesman=BAKER|NewUsed=N|UnitPrft=1"),
            deal("DateSold=2024-01-09|NewUsed=N|UnitPrft=300"),
        };
        const ReportOutput out = run(DoSummary, january(2, ReportConditions::Salesperson), deals);
        QCOMPARE(out.salespeople, QStringList({"ADAMS", "Baker", "BLANK"}));
        const qsizetype block = 1 + zeroBlock.size();
        QCOMPARE(out.lines.size(), 3 * block + 2);
        const QString dashes(63, QLatin1Char('-'));
        QCOMPARE(out.lines.at(0), "ADAMS (Salesman) " + dashes);
        QCOMPARE(out.lines.at(block), QString());
        QCOMPARE(out.lines.at(block + 1), "Baker (Salesman) " + dashes);
        QCOMPARE(out.lines.at(2 * block + 1), QString());
        QCOMPARE(out.lines.at(2 * block + 2), "BLANK (Salesman) " + dashes);
        QCOMPARE(out.lines.at(0).size(), 80);
        // ADAMS: used deals only, the shared one included.
        QCOMPARE(out.lines.at(1), "              Sales        0         2         2");
        QCOMPARE(out.lines.at(2),
                 "           Financed        0         1         1      0.00%    50.00%    50.00%");
        QCOMPARE(
            out.lines.at(21),
            "Total Net Prft(Veh)      0.00   1400.00   1400.00       0.00    700.00    700.00");
        QCOMPARE(out.lines.at(block + 2), "              Sales        1         0         1");
        QCOMPARE(out.lines.at(2 * block + 3), "              Sales        1         0         1");
        QCOMPARE(
            out.lines.last(),
            "       Total Profit    300.00      0.00    300.00     300.00      0.00    300.00");
    }

    void grossSales_data() {
        QTest::addColumn<int>("veh");
        QTest::addColumn<QVector<Deal>>("deals");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("totals");
        QTest::newRow("all") << int(ReportConditions::All) << grossDeals
                             << QStringList{grossLine1, grossLine2, grossLine3}
                             << "124607.28    500.00 125107.28";
        QTest::newRow("new, no class passes")
            << int(ReportConditions::New) << grossDeals << QStringList{grossLine1, grossLine3}
            << "123356.78    500.00 123856.78";
        QTest::newRow("used") << int(ReportConditions::Used) << grossDeals
                              << QStringList{grossLine2, grossLine3}
                              << "  1150.50    200.00   1350.50";
        QTest::newRow("empty range") << int(ReportConditions::All) << grossDeals.mid(3)
                                     << QStringList() << "     0.00      0.00      0.00";
    }
    void grossSales() {
        QFETCH(int, veh);
        QFETCH(QVector<Deal>, deals);
        QFETCH(QStringList, lines);
        QFETCH(QString, totals);
        const ReportOutput out =
            run(DoGrossSale, january(3, ReportConditions::Dealership, veh), deals);
        QCOMPARE(out.lines, lines);
        QCOMPARE(out.totals, Totals({{"lblGSRTtl", totals}}));
        QVERIFY(out.salespeople.isEmpty());
    }

    void grossSalesBySalesperson_data() {
        QTest::addColumn<QVector<Deal>>("deals");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("salespeople");
        // In the store's order: by the whole Salesman text, letter case aside.
        QVector<Deal> deals = {grossDeals[0], grossDeals[2], grossDeals[1]};
        deals[0][Salesman] = "ADAMS";
        deals[1][Salesman] = "ADAMS C";
        deals[2][Salesman] = "adams /BAKER"; // ADAMS again, in another letter case
        const QString sub(41, QLatin1Char(' '));
        QTest::newRow("two groups") << deals
                                    << QStringList{"ADAMS (Salesman)",
                                                   grossLine1,
                                                   grossLine2,
                                                   sub + "Sub Total 124707.28    300.00 125007.28",
                                                   "",
                                                   "ADAMS C (Salesman)",
                                                   grossLine3,
                                                   sub + "Sub Total   -100.00    200.00    100.00"}
                                    << QStringList{"ADAMS", "ADAMS C"};
        QTest::newRow("empty range")
            << grossDeals.mid(3) << QStringList{sub + "Sub Total      0.00      0.00      0.00"}
            << QStringList();
    }
    void grossSalesBySalesperson() {
        QFETCH(QVector<Deal>, deals);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, salespeople);
        const ReportOutput out = run(DoGrossSale, january(3, ReportConditions::Salesperson), deals);
        QCOMPARE(out.lines, lines);
        QCOMPARE(out.salespeople, salespeople);
    }

    void commission_data() {
        QTest::addColumn<int>("prtBy");
        QTest::addColumn<QVector<Deal>>("deals");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("totals");
        QTest::addColumn<QString>("averages");
        // A commission line's figures, right-aligned in their columns.
        const auto figures = [](const char *n, const char *u, const char *cn, const char *cu,
                                const char *all) {
            return QString("%1%2%3%4%5").arg(n, 9).arg(u, 10).arg(cn, 13).arg(cu, 13).arg(all, 13);
        };
        const auto who = [&](const char *name, auto... f) {
            return QString(name).leftJustified(22) + figures(f...);
        };
        auto comm = [](const char *date, const char *salesman, const char *newUsed, const char *c1,
                       const char *c2 = "", const char *asmComm = "") {
            Deal d{{DateSold, date},
                   {Salesman, salesman},
                   {SmComm1, c1},
                   {SmComm2, c2},
                   {ASMComm, asmComm}};
            if (newUsed != nullptr)
                d[NewUsed] = newUsed;
            return d;
        };
        const QVector<Deal> shared = {
            comm("2023-12-31", "ADAMS", "N", "999"),
            comm("2024-01-01", "ADAMS", "N", "100"),
            comm("2024-01-02", "ADAMS", "N", "100"),
            comm("2024-01-03", "ADAMS", "U", "150"),
            comm("2024-01-04", "ADAMS", nullptr, "50"),
            comm("2024-01-05", "ADAMS/BAKER", "N", "75", "60"),
            comm("2024-01-06", "BAKER/ADAMS/CRUZ", " ", "80", "40", "30"),
            comm("2024-01-07", "", "N", "500"),
            comm("2024-01-31", "ABCDEFGHIJKLMNOPQRSTUV", "N", "10"),
            comm("2024-02-01", "ADAMS", "N", "999"),
            comm("2024-01-15", "ADAMS", "N", "999"), // after the walk has stopped
        };
        QTest::newRow("shared and alone")
            << int(ReportConditions::Dealership) << shared
            << QStringList{who("ADAMS", "2.5", "2.5", "275.00", "240.00", "515.00"),
                           who("BAKER", "0.5", "0.5", "60.00", "80.00", "140.00"),
                           who("ABCDEFGHIJKLMNOPQRST", "1.0", "0.0", "10.00", "0.00", "10.00")}
            << figures("4.0", "3.0", "345.00", "320.00", "665.00")
            << "     86.25       106.67        95.00";
        QTest::newRow("ASM") << int(ReportConditions::ASM)
                             << QVector<Deal>{comm("2024-01-02", "ADAMS/BAKER/CRUZ", "N", "1", "2",
                                                   "30"),
                                              comm("2024-01-03", "ADAMS/BAKER", "U", "1", "2", "9"),
                                              comm("2024-01-04", "ADAMS//DIAZ", "U", "1", "", "20"),
                                              comm("2024-01-05", "/ /CRUZ", "U", "", "", "45")}
                             << QStringList{who("CRUZ", "1.0", "1.0", "30.00", "45.00", "75.00"),
                                            who("DIAZ", "0.0", "1.0", "0.00", "20.00", "20.00")}
                             << figures("1.0", "2.0", "30.00", "65.00", "95.00")
                             << "     30.00        32.50        31.67";
        QTest::newRow("blank before slash, letter case")
            << int(ReportConditions::Dealership)
            << QVector<Deal>{comm("2024-01-02", "JONES /SMITH", "N", "10", "20"),
                             comm("2024-01-03", "Jones", "N", "30")}
            << QStringList{who("JONES", "1.5", "0.0", "40.00", "0.00", "40.00"),
                           who("SMITH", "0.5", "0.0", "20.00", "0.00", "20.00")}
            << figures("2.0", "0.0", "60.00", "0.00", "60.00")
            << "     30.00         0.00        30.00";
        QTest::newRow("none in range")
            << int(ReportConditions::Dealership) << shared.mid(0, 1) << QStringList()
            << figures("0.0", "0.0", "0.00", "0.00", "0.00")
            << "      0.00         0.00         0.00";
    }
    void commission() {
        QFETCH(int, prtBy);
        QFETCH(QVector<Deal>, deals);
        QFETCH(QStringList, lines);
        QFETCH(QString, totals);
        QFETCH(QString, averages);
        const ReportOutput out = run(DoCommRpt, january(4, prtBy), deals);
        QCOMPARE(out.lines, lines);
        QCOMPARE(out.totals, Totals({{"lblCommTtl", totals}, {"lblCommAv", averages}}));
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
        FixtureDeals deals(grossDeals);
        deals.failAt = failAt;
        deals.readableFor(report);
        ScriptedPrompter prompter;
        if (answer != 0)
            prompter.answer(answer);
        BuildPolicy policy(prompter);
        const ReportOutput out = reportDescriptor(report)->build(january(report), deals, policy);
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
            QCOMPARE(out.lines.first(), grossLine1);
        QCOMPARE(out.totals.size(), cancelled || report == 5 ? 0 : 1);
    }
};

REGISTER_TEST(ManagementReportsTest);
#include "tst_management.moc"
