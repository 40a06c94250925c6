#include "TestRegistry.h"
#include "fixtures/StoreFixture.h"

#include "store/Recordset.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

// "volmera report" on a small table, on the file and on the server: its text and JSON output
// and its refusals.
class ReportCommandTest : public QObject {
    Q_OBJECT

    std::unique_ptr<StoreFixture> onFile, onServer;
    QTemporaryDir empty;

    struct Run {
        int status;
        QString out, err;
    };
    Run run(QStringList arguments, const QString &folder = {}) {
        QFETCH_GLOBAL(bool, server);
        const StoreFixture &fixture = server ? *onServer : *onFile;
        QStringList where = fixture.programArguments();
        if (!folder.isEmpty())
            where[1] = folder;
        QProcess p;
        p.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        p.start(QStringLiteral(VOLMERA_BIN), QStringList{"report"} + arguments + where);
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    static void fill(StoreFixture &fixture) {
        auto db = fixture.fresh();
        auto rs = db->openRecordset("ZEL");
        const QList<QList<QString>> deals = {
            {"2024-03-01", "SMITH", "A1", "N", "JONES", "500.00", "300.00"},
            {"2024-03-02", "BROWN", "A2", "U", "ADAMS/JONES", "250.50", ""},
            {"2024-03-03", "GREEN", "A3", "N", "", "100", "50"},
            // A name the JSON output escapes: quote, backslash, tab and letters beyond ASCII.
            {"2024-02-10", "O\"B\\\u00fc\t\u00d1", "A4", "N", "JONES", "", ""},
        };
        for (const auto &d : deals) {
            rs->addNew();
            rs->setField("DateSold", d[0]);
            rs->setField("ByLName", d[1]);
            rs->setField("StkNbr", d[2]);
            rs->setField("LNKey", d[1] + d[2]);
            rs->setField("NewUsed", d[3]);
            rs->setField("Salesman", d[4]);
            rs->setField("UnitPrft", d[5]);
            rs->setField("Pack", d[6]);
            rs->update();
        }
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

    void textOutput() {
        const Run r = run({"gross-sales", "--from", "3/2/2024", "--today", "12/06/2026"});
        QCOMPARE(r.status, 0);
        QCOMPARE(
            r.out,
            QStringLiteral(
                "03/02 BROWN      A2       U                           250.50      0.00    250.50\n"
                "03/03 GREEN      A3       N                           100.00     50.00    150.00\n"
                "Total    350.50     50.00    400.50\n"));
    }

    void jsonOutput() {
        const Run r = run({"gross-sales", "--by", "salesperson", "--json"});
        QCOMPARE(r.status, 0);
        const QJsonObject doc = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(doc.value("lines").toArray().first().toString(),
                 QStringLiteral("BLANK (Salesman)"));
        QCOMPARE(doc.value("totals").toObject().value("lblGSRTtl").toString(),
                 QStringLiteral("   850.50    350.00   1200.50"));
        QCOMPARE(doc.value("salespeople").toArray().size(), 3);
        QVERIFY(doc.value("lines").toArray().contains(
            QStringLiteral("02/10 O\"B\\\u00fc\t\u00d1    A4       N                             "
                           "0.00      0.00      0.00")));
        // Written as QJsonDocument writes it, to the byte.
        QCOMPARE(r.out,
                 QString::fromUtf8(QJsonDocument(doc).toJson(QJsonDocument::Compact)) + '\n');
        const QJsonObject names =
            QJsonDocument::fromJson(run({"names", "--json"}).out.toUtf8()).object();
        QVERIFY(!names.contains("totals"));
        // The summary reads the deals as stored and still lists the keys in the report's order.
        const QJsonObject summary =
            QJsonDocument::fromJson(run({"summary", "--by", "salesperson", "--json"}).out.toUtf8())
                .object();
        QCOMPARE(summary.value("salespeople").toArray(), QJsonArray({"BLANK", "ADAMS", "JONES"}));
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, const QStringList &arguments, const char *message,
                            int status = 2) {
            QTest::newRow(name) << arguments << status << QString(message);
        };
        row("salesperson commission", {"commission", "--by", "salesperson"},
            "volmera: report: --by salesperson cannot be used with the commission report\n");
        row("salesperson F&I log", {"fi-log", "--by", "salesperson"},
            "volmera: report: --by salesperson cannot be used with the fi-log report\n");
        row("new summary", {"summary", "--vehicle", "new"},
            "volmera: report: --vehicle new cannot be used with the summary report\n");
        row("bad date", {"fi-log", "--from", "13/45/2004"},
            "volmera: report: --from 13/45/2004 is not a date (MM/DD/YYYY)\n");
        row("anniversary date that is none", {"anniversary", "--from", "garbage"},
            "volmera: report: --from garbage is not a date (MM/DD/YYYY)\n");
        row("unknown report", {"payroll"},
            "volmera: report: name one report: fi-log, summary, gross-sales, commission, "
            "names, letters, anniversary, birthday, service, model, trend or scoreboard\n");
        row("trend from a beginning", {"trend", "--from", "01/01/2024"},
            "volmera: report: --from cannot be used with the trend report\n");
        row("export of no known format", {"summary", "--export", "out.txt"},
            "volmera: report: --export out.txt: name the file .pdf, .xlsx or .csv\n");
        row("export and JSON", {"summary", "--export", "out.csv", "--json"},
            "volmera: report: --export writes a file: use it without --print, --print-to-file "
            "or --json\n");
        row("paper of a spreadsheet", {"summary", "--export", "out.xlsx", "--paper", "a4"},
            "volmera: report: --paper is the paper of a PDF: use it with --export FILE.pdf\n");
        row("letters exported", {"letters", "--export", "out.pdf"},
            "volmera: report: Nothing was exported: the letters are exported one at a time, as a "
            "PDF of the letter.\n",
            1);
        row("empty report as PDF", {"gross-sales", "--from", "01/01/2030", "--export", "out.pdf"},
            "volmera: report: Nothing was exported: the report is empty: it has no page to "
            "export.\n",
            1);
        row("model elsewhere", {"fi-log", "--model", "F150"},
            "volmera: report: --model cannot be used with the fi-log report\n");
        row("salesperson not in the report",
            {"gross-sales", "--by", "salesperson", "--salesperson", "NOBODY", "--print-to-file"},
            "volmera: report: --salesperson NOBODY is not among the salespeople of this report: "
            "BLANK, ADAMS, JONES\n");
        row("no database", {"summary", "--data-dir", "EMPTY"},
            "volmera: report: the folder EMPTY has no deal database (ZELDB.mdb)\n", 1);
    }

    void refusals() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, message);
        const bool noDatabase = arguments.contains("EMPTY");
        QFETCH_GLOBAL(bool, server);
        if (noDatabase && server)
            QSKIP("a data folder without the file: the server holds the database");
        const QString folder = QDir(empty.path()).canonicalPath();
        arguments.removeAll("EMPTY");
        arguments.removeAll("--data-dir");
        const Run r = run(arguments, noDatabase ? folder : QString());
        QCOMPARE(r.status, status);
        // The message is a whole line of what the command says on standard error.
        const QString line = QString(message).replace("EMPTY", folder);
        QVERIFY2(r.err.startsWith(line) || r.err.contains('\n' + line), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }
};

REGISTER_TEST(ReportCommandTest);
#include "tst_command.moc"
