#include "TestRegistry.h"
#include "fixtures/GoldenTable.h"

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

// The deals of the group given, from reports/lists/deals.txt.
QVector<Deal> deals(const QString &group) {
    return goldenDeals("reports/lists/deals.txt", group);
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
        const ReportOutput out = buildReport(c, deals("fi-log-selection"));
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
        // "ANN DOE 03/15/1960;BOB ROE 03/20/1962": the entries of those people, with their dates.
        const auto listed = [](const QString &people) {
            QStringList lines;
            for (const QString &p : people.split(';', Qt::SkipEmptyParts))
                lines += contactLines(p.section(' ', 0, 1), "  " + p.section(' ', 2));
            return lines;
        };
        const QVector<Deal> sold = {buyer("EARLIER", "2020-03-15"), buyer("SAME", "2024-03-16"),
                                    buyer("LATER", "2024-03-21"), buyer("UNDATED", "")};
        for (const QStringList &r : goldenTable("reports/lists/anniversaries.txt")) {
            ReportConditions c = conditions(7, r.value(1), r.value(2));
            c.AnnvYr = r.value(3) == "yes";
            QTest::newRow(qPrintable(r.value(0))) << c << sold << listed(r.value(4));
        }
        for (const QStringList &r : goldenTable("reports/lists/birthdays.txt")) {
            Deal d = buyer("DOE", "");
            d.insert(ByDOB, r.value(1));
            d.insert(CByDOB, r.value(2));
            d.insert(CByFirstMI, "BOB");
            d.insert(CByLName, r.value(3));
            QTest::newRow(qPrintable(r.value(0)))
                << conditions(8, r.value(4), r.value(5)) << QVector<Deal>{d} << listed(r.value(6));
        }
        for (const QStringList &r : goldenTable("reports/lists/one-deal.txt")) {
            ReportConditions c = conditions(r.value(1).toInt());
            c.Model = r.value(2);
            Deal d = buyer("DOE");
            d.insert(deal(r.mid(4).join('|')));
            QTest::newRow(qPrintable(r.value(0)))
                << c << QVector<Deal>{d}
                << (r.value(3) == "listed" ? contactLines("ANN DOE") : QStringList());
        }
    }
    void contacts() {
        QFETCH(ReportConditions, conditions);
        QFETCH(QVector<Deal>, deals);
        QFETCH(QStringList, lines);
        QCOMPARE(buildReport(conditions, deals).lines, lines);
    }

    // A long list is made a piece at a time, on two threads in turn: each line comes out once,
    // in order, with its number.
    void longListInPieces() {
        QVector<Deal> many;
        QByteArray expected;
        int n = 0;
        for (int i = 0; i < 3100; ++i) {
            const QString name = QStringLiteral("N%1").arg(i, 4, 10, QLatin1Char('0'));
            many << buyer(name);
            for (const QString &line : {("ANN " + name).leftJustified(36) + "555-0100",
                                        QStringLiteral("   9 OAK AVE     AUSTIN   TX 7301")})
                expected += QByteArray::number(n++) + ' ' + line.toUtf8() + '\n';
        }
        QByteArray written;
        buildReport(conditions(5), many)
            .lines.encode(
                [](QByteArray &piece, qsizetype i, const QString &line) {
                    piece += QByteArray::number(i) + ' ' + line.toUtf8() + '\n';
                },
                [&](const QByteArray &piece) { written += piece; });
        QCOMPARE(written, expected);

        // Read in order as a printout reads them, the same way; then a look back to the piece
        // before the one read last, one further back and one beyond the end; and a reading left
        // after its first line.
        const ReportLines lines = buildReport(conditions(5), many).lines;
        ReportLines::InOrder inOrder(lines);
        QStringList read;
        for (qsizetype i = 0; i < lines.size(); ++i)
            read << inOrder.at(i);
        QCOMPARE(read, lines.toStringList());
        QCOMPARE(QStringList({inOrder.at(4100), inOrder.at(10), inOrder.value(6200)}),
                 QStringList({lines.at(4100), lines.at(10), QString()}));
        QCOMPARE(ReportLines::InOrder(lines).at(0), lines.at(0));

        // A sheet's made rows the same way, in three pieces: three thousand blocks of two rows.
        ReportSheet sheet;
        sheet.rows << SheetRow{{SheetCell::ofText("kept")}};
        sheet.blocks = 3000;
        sheet.blockRows = 2;
        sheet.makeBlock = [](int block, QList<SheetRow> &rows) {
            rows = {SheetRow{{SheetCell::ofCount(block)}}, SheetRow{{SheetCell::ofCount(-block)}}};
        };
        QByteArray rows, each;
        const auto encode = [](QByteArray &piece, const SheetRow &row) {
            piece +=
                (row.cells[0].kind == SheetCell::Text ? row.cells[0].text.toUtf8()
                                                      : QByteArray::number(row.cells[0].count)) +
                ' ';
        };
        sheet.forEachRow([&](const SheetRow &row) { encode(each, row); });
        sheet.encodeRows(encode, [&](const QByteArray &piece) { rows += piece; });
        QCOMPARE(rows, each);
        sheet.blocks = 0;
        rows.clear();
        sheet.encodeRows(encode, [&](const QByteArray &piece) { rows += piece; });
        QCOMPARE(rows, QByteArray("kept "));
    }

    // Each list whole: lines, totals and salespeople, as its golden file under lists/.
    void lists_data() {
        QTest::addColumn<ReportConditions>("conditions");
        QTest::addColumn<QVector<Deal>>("deals");
        QTest::addColumn<QString>("golden");
        const QVector<Deal> fiLog = deals("fi-log"), customers = deals("customers"),
                            grouped = deals("grouped");
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
