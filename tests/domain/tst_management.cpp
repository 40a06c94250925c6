#include "TestRegistry.h"
#include "domain/reports/Reports.h"
#include "fixtures/FixtureDeals.h"
#include "fixtures/Golden.h"

using namespace DealSchema;
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

const QVector<Deal> outside = {deal("DateSold=2023-12-31|Salesman=ADAMS|NewUsed=N"),
                               deal("DateSold=2024-02-01|Salesman=ADAMS|NewUsed=U"),
                               deal("Salesman=ADAMS|NewUsed=U")}; // no sale date

const QVector<Deal> summaryDeals = {
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

// Salespeople in the order the store gives them: letter case aside, then by date.
const QVector<Deal> summaryBySalesperson = {
    deal("DateSold=2024-01-03|Salesman=ADAMS|NewUsed=U|Term=48|FinRes=200|Pack=100|UnitPrft=900"),
    deal("DateSold=2024-01-05|Salesman=adams /BAKER|NewUsed=U|Term=1|Pack=100|UnitPrft=500"),
    deal("DateSold=2024-01-04|Salesman=Baker|NewUsed=N|UnitPrft=1000"),
    deal("DateSold=2024-02-10|Salesman=BAKER|NewUsed=N|UnitPrft=1"),
    deal("DateSold=2024-01-09|NewUsed=N|UnitPrft=300"),
};

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

// In the store's order: by the whole Salesman text, letter case aside; the last is ADAMS again.
QVector<Deal> grossBySalesperson() {
    QVector<Deal> deals = {grossDeals[0], grossDeals[2], grossDeals[1]};
    deals[0][Salesman] = "ADAMS";
    deals[1][Salesman] = "ADAMS C";
    deals[2][Salesman] = "adams /BAKER";
    return deals;
}

Deal comm(const char *date, const char *salesman, const char *newUsed, const char *c1,
          const char *c2 = "", const char *asmComm = "") {
    Deal d{
        {DateSold, date}, {Salesman, salesman}, {SmComm1, c1}, {SmComm2, c2}, {ASMComm, asmComm}};
    if (newUsed != nullptr)
        d[NewUsed] = newUsed;
    return d;
}

const QVector<Deal> commShared = {
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

} // namespace

class ManagementReportsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each report whole: lines, totals and salespeople, as its golden file under management/.
    void reports_data() {
        QTest::addColumn<ReportConditions>("conditions");
        QTest::addColumn<QVector<Deal>>("deals");
        QTest::addColumn<QString>("golden");
        const auto row = [](const char *name, const ReportConditions &c, const QVector<Deal> &deals,
                            const char *golden) {
            QTest::newRow(name) << c << deals << QString(golden);
        };
        const int dealership = ReportConditions::Dealership,
                  salesperson = ReportConditions::Salesperson;
        row("summary, none in range", january(2), outside, "summary-none");
        row("summary by salesperson, none in range", january(2, salesperson), outside,
            "summary-none");
        row("summary", january(2), summaryDeals, "summary");
        row("summary by salesperson", january(2, salesperson), summaryBySalesperson,
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
        row("gross sales", january(3), grossDeals, "gross-all");
        row("gross sales, new: no class passes", january(3, dealership, ReportConditions::New),
            grossDeals, "gross-new");
        row("gross sales, used", january(3, dealership, ReportConditions::Used), grossDeals,
            "gross-used");
        row("gross sales, none in range", january(3), grossDeals.mid(3), "gross-none");
        row("gross sales by salesperson", january(3, salesperson), grossBySalesperson(),
            "gross-by-salesperson");
        row("gross sales by salesperson, none in range", january(3, salesperson), grossDeals.mid(3),
            "gross-by-salesperson-none");
        row("commission, shared and alone", january(4), commShared, "comm-shared");
        row("commission by ASM", january(4, ReportConditions::ASM),
            {comm("2024-01-02", "ADAMS/BAKER/CRUZ", "N", "1", "2", "30"),
             comm("2024-01-03", "ADAMS/BAKER", "U", "1", "2", "9"),
             comm("2024-01-04", "ADAMS//DIAZ", "U", "1", "", "20"),
             comm("2024-01-05", "/ /CRUZ", "U", "", "", "45")},
            "comm-asm");
        row("commission, blank before slash, letter case", january(4),
            {comm("2024-01-02", "JONES /SMITH", "N", "10", "20"),
             comm("2024-01-03", "Jones", "N", "30")},
            "comm-letter-case");
        row("commission, none in range", january(4), commShared.mid(0, 1), "comm-none");
    }
    void reports() {
        QFETCH(ReportConditions, conditions);
        QFETCH(QVector<Deal>, deals);
        QFETCH(QString, golden);
        QCOMPARE(reportText(buildReport(conditions, deals)),
                 goldenLines("reports/management/" + golden + ".txt"));
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
            QCOMPARE(out.lines.first(), goldenLines("reports/management/gross-all.txt").first());
        QCOMPARE(out.totals.size(), cancelled || report == 5 ? 0 : 1);
    }
};

REGISTER_TEST(ManagementReportsTest);
#include "tst_management.moc"
