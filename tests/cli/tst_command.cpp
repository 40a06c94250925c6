#include "TestRegistry.h"

#include "store/DealSchema.h"
#include "store/Recordset.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

// "volmera report" on a small table: its text and JSON output and its refusals.
class ReportCommandTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    struct Run {
        int status;
        QString out, err;
    };
    Run run(QStringList arguments) {
        QProcess p;
        p.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        p.start(QStringLiteral(VOLMERA_BIN),
                QStringList{"report"} + arguments + QStringList{"--data-dir", dir.path()});
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

private Q_SLOTS:
    void initTestCase() {
        createDealDatabase(dir.filePath("ZELDB.mdb"));
        auto db = Database::open(dir.filePath("ZELDB.mdb"));
        auto rs = db->openRecordset("ZEL");
        const QList<QList<QString>> deals = {
            {"2024-03-01", "SMITH", "A1", "N", "JONES", "500.00", "300.00"},
            {"2024-03-02", "BROWN", "A2", "U", "ADAMS/JONES", "250.50", ""},
            {"2024-03-03", "GREEN", "A3", "N", "", "100", "50"},
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
        const QJsonObject names =
            QJsonDocument::fromJson(run({"names", "--json"}).out.toUtf8()).object();
        QVERIFY(!names.contains("totals"));
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("salesperson commission") << QStringList{"commission", "--by", "salesperson"}
                                                << "--by salesperson cannot be used";
        QTest::newRow("new summary")
            << QStringList{"summary", "--vehicle", "new"} << "--vehicle new cannot be used";
        QTest::newRow("bad date") << QStringList{"fi-log", "--from", "13/45/2004"} << "not a date";
        QTest::newRow("unknown report") << QStringList{"payroll"} << "name one report";
        QTest::newRow("model elsewhere")
            << QStringList{"fi-log", "--model", "F150"} << "--model cannot be used";
    }

    void refusals() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Run r = run(arguments);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }
};

REGISTER_TEST(ReportCommandTest);
#include "tst_command.moc"
