#include "TestRegistry.h"
#include "fixtures/CommandRun.h"
#include "fixtures/GoldenRows.h"
#include "fixtures/StoreFixture.h"

// "volmera report" on a small table, on the file and on the server: its text and JSON output
// and its refusals.
class ReportCommandTest : public QObject {
    Q_OBJECT

    std::unique_ptr<StoreFixture> onFile, onServer;
    QTemporaryDir empty;

    // The row's own --data-dir, given after the table's, is the one taken.
    CommandRun run(const QStringList &arguments) {
        QFETCH_GLOBAL(bool, server);
        return runVolmera(QStringList{"report"} +
                          (server ? *onServer : *onFile).programArguments() + arguments);
    }

    static void fill(StoreFixture &fixture) {
        auto db = fixture.fresh();
        auto rs = db->openRecordset("ZEL");
        const QList<QList<QString>> deals = {
            {"2024-03-01", "SMITH", "A1", "N", "JONES", "500.00", "300.00"},
            {"2024-03-02", "BROWN", "A2", "U", "ADAMS/JONES", "250.50", ""},
            // A lower-case name takes its place among the upper-case ones on either engine.
            {"2024-03-03", "green", "A3", "N", "", "100", "50"},
            // JSON escapes its quote, backslash, tab and line ends, not its letters beyond ASCII.
            {"2024-02-10", "O\"B\\\u00fc\t\r\n\u00d1", "A4", "N", "JONES", "", ""},
        };
        for (const auto &d : deals)
            StoreFixture::addDeal(*rs, d[1], d[2],
                                  {{"DateSold", d[0]},
                                   {"NewUsed", d[3]},
                                   {"Salesman", d[4]},
                                   {"UnitPrft", d[5]},
                                   {"Pack", d[6]}});
    }

private Q_SLOTS:
    void initTestCase_data() { engineRows(); }
    void initTestCase() {
        onFile = std::make_unique<StoreFixture>();
        fill(*onFile);
        if (TestServer::available()) {
            onServer = std::make_unique<StoreFixture>(true);
            fill(*onServer);
        }
    }
    void init() { ENGINE_ROW(server); }

    void output_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("golden");
        QTest::newRow("text") << QStringList{"gross-sales", "--from", "3/2/2024", "--today",
                                             "12/06/2026"}
                              << "gross-sales-from-03-02.txt";
        QTest::newRow("JSON") << QStringList{"gross-sales", "--by", "salesperson", "--json"}
                              << "gross-sales-by-salesperson.json";
        QTest::newRow("JSON without totals") << QStringList{"names", "--json"} << "names.json";
        // Read as stored, the deals still give the keys in the report's order.
        QTest::newRow("summary by salesperson")
            << QStringList{"summary", "--by", "salesperson"} << "summary-by-salesperson.txt";
        QTest::newRow("summary by salesperson JSON")
            << QStringList{"summary", "--by", "salesperson", "--json"}
            << "summary-by-salesperson.json";
    }
    void output() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, golden);
        const CommandRun r = run(arguments);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, goldenText("cli/" + golden));
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        const auto row = [](const char *name, const QStringList &arguments, int status = 2) {
            QTest::newRow(name) << arguments << status;
        };
        // What each says on standard error is in cli/report-refusals.txt.
        row("salesperson commission", {"commission", "--by", "salesperson"});
        row("new summary", {"summary", "--vehicle", "new"});
        row("bad date", {"fi-log", "--from", "13/45/2004"});
        row("unknown report", {"payroll"});
        row("trend from a beginning", {"trend", "--from", "01/01/2024"});
        row("export of no known format", {"summary", "--export", "out.txt"});
        row("export and JSON", {"summary", "--export", "out.csv", "--json"});
        row("paper of a spreadsheet", {"summary", "--export", "out.xlsx", "--paper", "a4"});
        row("letters exported", {"letters", "--export", "out.pdf"}, 1);
        row("empty report as PDF", {"gross-sales", "--from", "01/01/2030", "--export", "out.pdf"},
            1);
        row("model elsewhere", {"fi-log", "--model", "F150"});
        row("salesperson not in the report",
            {"gross-sales", "--by", "salesperson", "--salesperson", "NOBODY", "--print-to-file"});
        row("no database", {"summary", "--data-dir", "EMPTY"}, 1);
    }

    void refusals() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH_GLOBAL(bool, server);
        if (arguments.contains("EMPTY") && server)
            QSKIP("a data folder without the file: the server holds the database");
        const QString folder = QDir(empty.path()).canonicalPath();
        const CommandRun r = run(arguments.replaceInStrings("EMPTY", folder));
        QCOMPARE(r.status, status);
        QCOMPARE(r.err,
                 goldenRows("cli/report-refusals.txt").join('\n').replace("EMPTY", folder) + '\n');
        QVERIFY(r.out.isEmpty());
    }
};

REGISTER_TEST(ReportCommandTest);
#include "tst_command.moc"
