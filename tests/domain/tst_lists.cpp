#include "TestRegistry.h"
#include "base/ScriptedPrompter.h"
#include "domain/reports/Builders.h"
#include "domain/reports/Reports.h"
#include "fixtures/FixtureDeals.h"

using namespace DealSchema;
using Deal = FixtureDeals::Deal;

namespace {
QString sp(int n) {
    return QString(n, u' ');
}

ReportConditions conditions(int report, const QString &from = "01/01/1900",
                            const QString &to = "12/31/2099") {
    ReportConditions c;
    c.report = report;
    c.BDT = from;
    c.EDT = to;
    return c;
}

ReportOutput build(const ReportConditions &c, const QVector<Deal> &list) {
    FixtureDeals deals(list);
    deals.readableFor(c.report);
    ScriptedPrompter prompter;
    BuildPolicy policy(prompter);
    return reportDescriptor(c.report)->build(c, deals, policy);
}

// A deal of the contact lists: sold in 2024, buyer named by last name, with a telephone.
// An empty sale date leaves the field Null.
Deal buyer(const QString &lastName, const QString &sold = "2024-03-10") {
    Deal d = deal("ByFirstMI=ANN|ByPhone=555-0100|ByAdr=9 OAK AVE  |ByCity=AUSTIN  |"
                  "ByStateZip=TX 7301|Year=2021|Make=FORD|Model=F150|NewUsed=N");
    d.insert(ByLName, lastName);
    if (!sold.isEmpty())
        d.insert(DateSold, sold);
    return d;
}

QStringList contactLines(const QString &name, const QString &after = {}) {
    return {name.leftJustified(31) + sp(5) + "555-0100" + after, "   9 OAK AVE, AUSTIN, TX 7301",
            "   2021 FORD F150"};
}

// The last names of the F&I log's entries, in order.
QStringList logNames(const ReportOutput &out) {
    QStringList names;
    for (qsizetype i = 0; i < out.lines.size(); i += 3)
        names << out.lines[i].mid(6, 15).trimmed();
    return names;
}
} // namespace

class ListReportsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fiLogEntries() {
        const QVector<Deal> deals = {
            deal("DateSold=2024-03-05|ByLName=MONTGOMERY-SMITHSON|StkNbr=A123|NewUsed=N|Year=2023|"
                 "Make=CHEVROLET  |Model=SILVERADO 1500 LTZ|FinanceSrc=GMAC|Term=60|APR=6.9|"
                 "FinRes=123456.78|SrvRes=1200.5|LifeRes=75.25|AHRes=30.1|PrftAmt1=100|"
                 "PrftAmt2=25.25|PrftAmt3=abc"),
            deal("DateSold=2024-03-31|ByLName=LEE|StkNbr=U77|NewUsed=U|Year=2019|Make=FORD|"
                 "Model=F150|FinanceSrc=CU|PrftAmt3=300"),
        };
        const ReportOutput out = build(conditions(1), deals);
        const QString zero = "     0.00";
        QCOMPARE(
            out.lines,
            QStringList({"03/05 MONTGOMERY-SMIT A123     N 2023 CHEVROLET SILVERADO GMA",
                         sp(12) + " 60  6.90000 123456.78   1200.50     75.25     30.10    "
                                  "125.25 124887.88",
                         "",
                         "03/31 LEE" + sp(13) + "U77" + sp(6) + "U 2019 FORD F150" + sp(11) + "CU ",
                         sp(12) + "  0  0.00000 " + zero + ' ' + zero + ' ' + zero + ' ' + zero +
                             "    300.00    300.00",
                         ""}));
        QCOMPARE(out.totals, (QList<QPair<QString, QString>>{
                                 {"lblFILogTtl", "123456.78   1200.50     75.25     30.10    "
                                                 "425.25 125187.88"}}));
        QVERIFY(!out.cancelled);
    }

    void fiLogSelection_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("manager");
        QTest::addColumn<int>("vehicle");
        QTest::addColumn<QStringList>("listed");
        const auto row = [](const char *name, const QString &from, const QString &to,
                            const QString &manager, int vehicle, const QStringList &listed) {
            QTest::newRow(name) << from << to << manager << vehicle << listed;
        };
        const int all = ReportConditions::All;
        row("ALL with blanks", "01/01/2024", "12/31/2024", "ALL  ", all,
            {"FEB", "MAR1", "MAR31", "APR"});
        row("manager", "01/01/2024", "12/31/2024", "JD", all, {"MAR1", "APR"});
        row("lower case manager", "01/01/2024", "12/31/2024", "jd", all, {});
        row("inclusive ends", "3/1/2024", "03/31/2024", "ALL", all, {"MAR1", "MAR31"});
        row("used", "01/01/2024", "12/31/2024", "ALL", ReportConditions::Used, {"MAR31"});
    }
    void fiLogSelection() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, manager);
        QFETCH(int, vehicle);
        QFETCH(QStringList, listed);
        ReportConditions c = conditions(1, from, to);
        c.FIMgr = manager;
        c.Veh = vehicle;
        const QVector<Deal> deals = {
            deal("DateSold=2024-02-29|ByLName=FEB|FIMgr=MK|NewUsed=N"),
            deal("DateSold=2024-03-01|ByLName=MAR1|FIMgr=JD |NewUsed=N"),
            deal("ByLName=UNDATED|FIMgr=JD|NewUsed=N"),
            deal("DateSold=2024-03-31|ByLName=MAR31|FIMgr= JD|NewUsed=U"),
            deal("DateSold=2024-04-01|ByLName=APR|FIMgr=JD|NewUsed=N"),
        };
        QCOMPARE(logNames(build(c, deals)), listed);
    }

    void fiLogEmpty() {
        const ReportOutput out = build(conditions(1, "01/01/2030", "12/31/2030"),
                                       {deal("DateSold=2024-03-05|FinRes=10")});
        QVERIFY(out.lines.isEmpty());
        QCOMPARE(out.totals.value(0).second, QStringList(6, "     0.00").join(' '));
    }

    void customerFile_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QStringList>("lines");
        const QString longName = "ALEXANDRIA MARGARETE VANDERHOOG";
        QTest::newRow("line") << int(ReportConditions::LineFormat)
                              << QStringList{longName + sp(5),
                                             "   12 ELM ST   SPRINGFIELD IL 62701",
                                             "ANN WU" + sp(30) + "555-0100",
                                             "   9 OAK AVE     AUSTIN   TX 7301"};
        QTest::newRow("label")
            << int(ReportConditions::LabelFormat)
            << QStringList{longName + "STRAT", "12 ELM ST",   "SPRINGFIELD, IL 62701", "", "",
                           "ANN WU",           "9 OAK AVE  ", "AUSTIN, TX 7301",       "", ""};
    }
    void customerFile() {
        QFETCH(int, format);
        QFETCH(QStringList, lines);
        ReportConditions c = conditions(5);
        c.PrtFmt = format;
        const QVector<Deal> deals = {
            deal("DateSold=2024-01-02|ByFirstMI=ALEXANDRIA MARGARETE|ByLName=VANDERHOOGSTRAT|"
                 "ByAdr=12 ELM ST|ByCity=SPRINGFIELD|ByStateZip=IL 62701"),
            buyer("WU"),
        };
        QCOMPARE(build(c, deals).lines, lines);
    }

    void anniversary_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("withYear");
        QTest::addColumn<QStringList>("firstLines");
        const auto first = [](const QString &name, const QString &sold) {
            return contactLines("ANN " + name, "  " + sold).first();
        };
        const auto row = [](const char *name, const QString &from, const QString &to, bool withYear,
                            const QStringList &firstLines) {
            QTest::newRow(name) << from << to << withYear << firstLines;
        };
        row("any year", "03/15/2024", "3/20/2024", false,
            {first("EARLIER", "03/15/2020"), first("SAME", "03/16/2024")});
        row("include year", "03/15/2024", "03/20/2024", true, {first("SAME", "03/16/2024")});
        row("to the end date", "03/15/2023", "03/16/2023", false,
            {first("EARLIER", "03/15/2020"), first("SAME", "03/16/2024")});
        row("over the year's end", "12/01/2024", "03/15/2025", false,
            {first("EARLIER", "03/15/2020")});
        row("include year: whole dates", "03/01/2020", "04/01/2020", true,
            {first("EARLIER", "03/15/2020")});
        row("include year, over the year's end", "12/01/2023", "03/16/2024", true,
            {first("SAME", "03/16/2024")});
    }
    void anniversary() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, withYear);
        QFETCH(QStringList, firstLines);
        ReportConditions c = conditions(7, from, to);
        c.AnnvYr = withYear;
        const ReportOutput out =
            build(c, {buyer("EARLIER", "2020-03-15"), buyer("SAME", "2024-03-16"),
                      buyer("LATER", "2024-03-21"), buyer("UNDATED", "")});
        QStringList got;
        for (qsizetype i = 0; i < out.lines.size(); i += 3)
            got << out.lines[i];
        QCOMPARE(got, firstLines);
    }

    void birthDates_data() {
        QTest::addColumn<QString>("buyerDOB");
        QTest::addColumn<QString>("coBuyerDOB");
        QTest::addColumn<QString>("coBuyerName");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QStringList>("lines");
        const auto row = [](const char *name, const QString &buyerDOB, const QString &coBuyerDOB,
                            const QString &coBuyerName, const QString &from, const QString &to,
                            const QStringList &lines) {
            QTest::newRow(name) << buyerDOB << coBuyerDOB << coBuyerName << from << to << lines;
        };
        row("buyer and co-buyer on the ends", "03/15/1960", "3/20/1962", "ROE", "03/15/2024",
            "03/20/2025",
            contactLines("ANN DOE", "  03/15/1960") + contactLines("BOB ROE", "  03/20/1962"));
        row("co-buyer without last name", "07/01/1960", "03/18/1962", "  ", "03/15/2024",
            "03/20/2025", {});
        row("no birth dates", "", "//", "ROE", "03/15/2024", "03/20/2025", {});
        row("over the year's end", "12/15/1960", "01/15/1962", "ROE", "12/01/2024", "01/15/2025",
            contactLines("ANN DOE", "  12/15/1960") + contactLines("BOB ROE", "  01/15/1962"));
        row("between the ends of a span over the year's end", "06/15/1960", "", "", "12/01/2024",
            "01/15/2025", {});
        // A text that is no date is compared, and shown, as it stands.
        row("not a date", "03/17", "", "", "03/15/2024", "03/20/2025",
            contactLines("ANN DOE", "  03/17"));
    }
    void birthDates() {
        QFETCH(QString, buyerDOB);
        QFETCH(QString, coBuyerDOB);
        QFETCH(QString, coBuyerName);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QStringList, lines);
        Deal deal = buyer("DOE", "");
        deal.insert(ByDOB, buyerDOB);
        deal.insert(CByDOB, coBuyerDOB);
        deal.insert(CByFirstMI, "BOB");
        deal.insert(CByLName, coBuyerName);
        QCOMPARE(build(conditions(8, from, to), {deal}).lines, lines);
    }

    void serviceEligibility_data() {
        QTest::addColumn<QString>("eligible");
        QTest::addColumn<QString>("reserve");
        QTest::addColumn<bool>("listed");
        const auto row = [](const char *name, const QString &eligible, const QString &reserve,
                            bool listed) { QTest::newRow(name) << eligible << reserve << listed; };
        row("zero", "Y", "0.00", true);
        row("cent", "Y", "0.01", false);
        row("negative", "Y", "-5", true);
        row("text", "Y", "N/A 100", true);
        row("N", "N", "0", false);
        row("lower case", "y", "0", false);
    }
    void serviceEligibility() {
        QFETCH(QString, eligible);
        QFETCH(QString, reserve);
        QFETCH(bool, listed);
        Deal deal = buyer("DOE");
        deal.insert(SrvElig, eligible);
        deal.insert(SrvRes, reserve);
        QCOMPARE(build(conditions(9), {deal}).lines,
                 listed ? contactLines("ANN DOE") : QStringList{});
    }

    void modelMatch_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("listed");
        QTest::newRow("same") << "F150" << true;
        QTest::newRow("trailing blank") << "F150 " << true;
        QTest::newRow("lower case") << "f150" << false;
        QTest::newRow("empty") << "" << false;
    }
    void modelMatch() {
        QFETCH(QString, model);
        QFETCH(bool, listed);
        ReportConditions c = conditions(10);
        c.Model = model;
        QCOMPARE(build(c, {buyer("DOE")}).lines, listed ? contactLines("ANN DOE") : QStringList{});
    }

    void salespersonGroups_data() {
        QTest::addColumn<int>("printBy");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("keys");
        const auto line = [](const QString &name) { return contactLines("ANN " + name).first(); };
        const QString adr = "   9 OAK AVE     AUSTIN   TX 7301";
        QTest::newRow("salesperson")
            << int(ReportConditions::Salesperson)
            << QStringList{"BLANK (Salesman)", line("A"), adr,       "",  "JONES (Salesman)",
                           line("B"),          adr,       line("C"), adr, "",
                           "SMITH (Salesman)", line("D"), adr}
            << QStringList{"BLANK", "JONES", "SMITH"};
        QTest::newRow("dealership")
            << int(ReportConditions::Dealership)
            << QStringList{line("A"), adr, line("B"), adr, line("C"), adr, line("D"), adr}
            << QStringList{};
    }
    void salespersonGroups() {
        QFETCH(int, printBy);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, keys);
        ReportConditions c = conditions(5, "01/01/2024", "12/31/2024");
        c.PrtBy = printBy;
        QVector<Deal> deals;
        // An unlisted deal makes no group.
        const QStringList names = {"OLD", "A", "B", "C", "D"};
        const QStringList salesmen = {"ADAMS", "  ", "JONES/SMITH", "jones  ", "SMITH"};
        for (qsizetype i = 0; i < names.size(); ++i) {
            Deal deal = buyer(names[i], i == 0 ? "2023-01-01" : "2024-01-01");
            deal.insert(Salesman, salesmen[i]);
            deals << deal;
        }
        const ReportOutput out = build(c, deals);
        QCOMPARE(out.lines, lines);
        QCOMPARE(out.salespeople, keys);
    }
};

REGISTER_TEST(ListReportsTest);
#include "tst_lists.moc"
