#include "TestRegistry.h"
#include "fixtures/FixtureDeals.h"
#include "fixtures/Golden.h"

using namespace DealSchema;
using Deal = FixtureDeals::Deal;

namespace {
ReportConditions conditions(int report, const QString &from = "01/01/1900",
                            const QString &to = "12/31/2099") {
    ReportConditions c;
    c.report = report;
    c.BDT = from;
    c.EDT = to;
    return c;
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
    return {name.leftJustified(36) + "555-0100" + after, "   9 OAK AVE, AUSTIN, TX 7301",
            "   2021 FORD F150"};
}

} // namespace

class ListReportsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
        const ReportOutput out = buildReport(c, deals);
        QStringList names; // the last names of its entries, in order
        for (qsizetype i = 0; i < out.lines.size(); i += 3)
            names << out.lines[i].mid(6, 15).trimmed();
        QCOMPARE(names, listed);
    }

    // Whom the contact lists take: anniversaries of the sale (7), birthdays of the buyer and
    // co-buyer (8), service contract candidates (9) and owners of a model (10).
    void contacts_data() {
        QTest::addColumn<ReportConditions>("conditions");
        QTest::addColumn<QVector<Deal>>("deals");
        QTest::addColumn<QStringList>("lines");
        const auto ann = [](const QString &name, const QString &date) {
            return contactLines("ANN " + name, "  " + date);
        };
        const QVector<Deal> sold = {buyer("EARLIER", "2020-03-15"), buyer("SAME", "2024-03-16"),
                                    buyer("LATER", "2024-03-21"), buyer("UNDATED", "")};
        const auto anniversary = [&](const char *name, const char *from, const char *to,
                                     bool withYear, const QStringList &lines) {
            ReportConditions c = conditions(7, from, to);
            c.AnnvYr = withYear;
            QTest::newRow(name) << c << sold << lines;
        };
        anniversary("anniversary, any year", "03/15/2024", "3/20/2024", false,
                    ann("EARLIER", "03/15/2020") + ann("SAME", "03/16/2024"));
        anniversary("anniversary, include year", "03/15/2024", "03/20/2024", true,
                    ann("SAME", "03/16/2024"));
        anniversary("anniversary, to the end date", "03/15/2023", "03/16/2023", false,
                    ann("EARLIER", "03/15/2020") + ann("SAME", "03/16/2024"));
        anniversary("anniversary, over the year's end", "12/01/2024", "03/15/2025", false,
                    ann("EARLIER", "03/15/2020"));
        anniversary("anniversary, include year: whole dates", "03/01/2020", "04/01/2020", true,
                    ann("EARLIER", "03/15/2020"));
        anniversary("anniversary, include year, over the year's end", "12/01/2023", "03/16/2024",
                    true, ann("SAME", "03/16/2024"));

        const auto birthday = [](const char *name, const char *buyerDOB, const char *coBuyerDOB,
                                 const char *coBuyerName, const char *from, const char *to,
                                 const QStringList &lines) {
            Deal d = buyer("DOE", "");
            d.insert(ByDOB, buyerDOB);
            d.insert(CByDOB, coBuyerDOB);
            d.insert(CByFirstMI, "BOB");
            d.insert(CByLName, coBuyerName);
            QTest::newRow(name) << conditions(8, from, to) << QVector<Deal>{d} << lines;
        };
        birthday("birthdays of buyer and co-buyer on the ends", "03/15/1960", "3/20/1962", "ROE",
                 "03/15/2024", "03/20/2025",
                 ann("DOE", "03/15/1960") + contactLines("BOB ROE", "  03/20/1962"));
        birthday("birthdays, co-buyer without last name", "07/01/1960", "03/18/1962", "  ",
                 "03/15/2024", "03/20/2025", {});
        birthday("no birth dates", "", "//", "ROE", "03/15/2024", "03/20/2025", {});
        birthday("birthdays over the year's end", "12/15/1960", "01/15/1962", "ROE", "12/01/2024",
                 "01/15/2025", ann("DOE", "12/15/1960") + contactLines("BOB ROE", "  01/15/1962"));
        birthday("birthday between the ends of a span over the year's end", "06/15/1960", "", "",
                 "12/01/2024", "01/15/2025", {});
        // A text that is no date is compared, and shown, as it stands.
        birthday("birthday not a date", "03/17", "", "", "03/15/2024", "03/20/2025",
                 ann("DOE", "03/17"));

        const auto one = [](const char *name, int report, const char *fields, const char *model,
                            bool listed) {
            ReportConditions c = conditions(report);
            c.Model = model;
            Deal d = buyer("DOE");
            d.insert(deal(fields));
            QTest::newRow(name) << c << QVector<Deal>{d}
                                << (listed ? contactLines("ANN DOE") : QStringList());
        };
        one("service: zero", 9, "SrvElig=Y|SrvRes=0.00", "", true);
        one("service: cent", 9, "SrvElig=Y|SrvRes=0.01", "", false);
        one("service: negative", 9, "SrvElig=Y|SrvRes=-5", "", true);
        one("service: text", 9, "SrvElig=Y|SrvRes=N/A 100", "", true);
        one("service: N", 9, "SrvElig=N|SrvRes=0", "", false);
        one("service: lower case", 9, "SrvElig=y|SrvRes=0", "", false);
        one("model: same", 10, "", "F150", true);
        one("model: trailing blank", 10, "", "F150 ", true);
        one("model: lower case", 10, "", "f150", false);
        one("model: empty", 10, "", "", false);
    }
    void contacts() {
        QFETCH(ReportConditions, conditions);
        QFETCH(QVector<Deal>, deals);
        QFETCH(QStringList, lines);
        QCOMPARE(buildReport(conditions, deals).lines, lines);
    }

    // Each list whole: lines, totals and salespeople, as its golden file under lists/.
    void lists_data() {
        QTest::addColumn<ReportConditions>("conditions");
        QTest::addColumn<QVector<Deal>>("deals");
        QTest::addColumn<QString>("golden");
        const QVector<Deal> fiLog = {
            deal("DateSold=2024-03-05|ByLName=MONTGOMERY-SMITHSON|StkNbr=A123|NewUsed=N|Year=2023|"
                 "Make=CHEVROLET  |Model=SILVERADO 1500 LTZ|FinanceSrc=GMAC|Term=60|APR=6.9|"
                 "FinRes=123456.78|SrvRes=1200.5|LifeRes=75.25|AHRes=30.1|PrftAmt1=100|"
                 "PrftAmt2=25.25|PrftAmt3=abc"),
            deal("DateSold=2024-03-31|ByLName=LEE|StkNbr=U77|NewUsed=U|Year=2019|Make=FORD|"
                 "Model=F150|FinanceSrc=CU|PrftAmt3=300"),
        };
        const QVector<Deal> customers = {
            deal("DateSold=2024-01-02|ByFirstMI=ALEXANDRIA MARGARETE|ByLName=VANDERHOOGSTRAT|"
                 "ByAdr=12 ELM ST|ByCity=SPRINGFIELD|ByStateZip=IL 62701"),
            buyer("WU"),
        };
        // An unlisted deal makes no group.
        QVector<Deal> grouped;
        const QStringList names = {"OLD", "A", "B", "C", "D"};
        const QStringList salesmen = {"ADAMS", "  ", "JONES/SMITH", "jones  ", "SMITH"};
        for (qsizetype i = 0; i < names.size(); ++i) {
            grouped << buyer(names[i], i == 0 ? "2023-01-01" : "2024-01-01");
            grouped.last().insert(Salesman, salesmen[i]);
        }
        ReportConditions label = conditions(5), in2024 = conditions(5, "01/01/2024", "12/31/2024");
        label.PrtFmt = ReportConditions::LabelFormat;
        ReportConditions bySalesperson = in2024;
        bySalesperson.PrtBy = ReportConditions::Salesperson;
        QTest::newRow("F&I log") << conditions(1) << fiLog << "filog";
        QTest::newRow("F&I log, none in range")
            << conditions(1, "01/01/2030", "12/31/2030") << fiLog << "filog-none";
        QTest::newRow("customer file, line format")
            << conditions(5) << customers << "customers-line";
        QTest::newRow("customer file, label format") << label << customers << "customers-label";
        QTest::newRow("customer file by salesperson")
            << bySalesperson << grouped << "customers-by-salesperson";
        QTest::newRow("customer file, 2024") << in2024 << grouped << "customers-2024";
    }
    void lists() {
        QFETCH(ReportConditions, conditions);
        QFETCH(QVector<Deal>, deals);
        QFETCH(QString, golden);
        QCOMPARE(reportText(buildReport(conditions, deals)),
                 goldenLines("reports/lists/" + golden + ".txt"));
    }
};

REGISTER_TEST(ListReportsTest);
#include "tst_lists.moc"
