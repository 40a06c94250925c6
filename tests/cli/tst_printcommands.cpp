#include "TestRegistry.h"

#include "fixtures/CommandRun.h"
#include "fixtures/Files.h"
#include "fixtures/GoldenRows.h"
#include "fixtures/StoreFixture.h"

// "volmera sheet" and "volmera letter" on a small table.
class PrintCommandsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    CommandRun run(const QStringList &arguments) {
        return runVolmera(arguments + QStringList{"--data-dir", dir.path()});
    }

private Q_SLOTS:
    void initTestCase() {
        createDealDatabase(dir.filePath("ZELDB.mdb"));
        auto db = Database::open(dir.filePath("ZELDB.mdb"));
        auto rs = db->openRecordset("ZEL");
        // clang-format off
        StoreFixture::addDeal(*rs, "SMITH", "A1234", {{"ByFirstMI", "JOHN Q"},
            {"ByAdr", "123 MAIN ST"}, {"ByCity", "PORTLAND"}, {"ByStateZip", "OR 97201"},
            {"DateSold", QDate(2001, 3, 5)}, {"NewUsed", "N"}, {"Year", "2001"}, {"Make", "FORD"},
            {"Model", "TAURUS"}, {"Salesman", "BOB JONES"}, {"UnitPrft", "1200.00"},
            {"SmComm1", "150"}, {"FinRes", "450.00"}, {"SrvRes", "300"}, {"PrftAmt1", "200"},
            {"Pack", "300"}});
        StoreFixture::addDeal(*rs, "BROWN", "B7", {{"ByFirstMI", "ANN"},
            {"DateSold", QDate(2001, 3, 10)}, {"NewUsed", "U"}, {"Salesman", "ANN LEE"}});
        // clang-format on
        QVERIFY(writeFile(dir.filePath("ZEL.CFG"), "\"ACME MOTORS\",\"\",\"False\"\r\n"));
        QVERIFY(writeFile(dir.filePath("Letter1.TXT"),
                          "Thank you for your new *V today.\r\nVisit us again.\r\n"));
    }

    // What each writes is cli/ROW.txt. The sheet's totals are those the entry screen would show
    // for the deal; a letter's conditions choose the list the line is picked from, and it offers
    // what the letters screen offers (no F&I manager).
    void output_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("sheet-A1234") << QStringList{"sheet", "A1234"};
        QTest::newRow("letter-1") << QStringList{"letter", "--pick", "1", "--today", "03/10/2001"};
        QTest::newRow("letter-1-used")
            << QStringList{"letter", "--pick", "1", "--vehicle", "used", "--today", "03/10/2001"};
        QTest::newRow("letter-help") << QStringList{"letter", "--help"};
    }
    void output() {
        QFETCH(QStringList, arguments);
        const CommandRun r = run(arguments);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, goldenText(QStringLiteral("cli/%1.txt").arg(QTest::currentDataTag())));
    }

    // What each says on standard error is in cli/printcommand-refusals.txt.
    void refusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("sheet without a stock number") << QStringList{"sheet"} << 2;
        QTest::newRow("sheet of an unknown stock number") << QStringList{"sheet", "ZZ9"} << 1;
        QTest::newRow("letter without a pick") << QStringList{"letter"} << 2;
        QTest::newRow("letter pick past the list") << QStringList{"letter", "--pick", "3"} << 1;
        QTest::newRow("letter with another report's condition")
            << QStringList{"letter", "--pick", "1", "--fi-mgr", "AB"} << 2;
        QTest::newRow("letter without its template")
            << QStringList{"letter", "--letter", "2", "--pick", "1"} << 1;
    }
    void refusals() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        const CommandRun r = run(arguments);
        QCOMPARE(r.status, status);
        QCOMPARE(r.err, goldenRows("cli/printcommand-refusals.txt").join('\n') + '\n');
        QVERIFY(r.out.isEmpty());
    }
};

REGISTER_TEST(PrintCommandsTest);
#include "tst_printcommands.moc"
