#include "TestRegistry.h"
#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/ErrorTrap.h"
#include "base/ScriptedPrompter.h"
#include "domain/entry/DealSheet.h"
#include "domain/reports/PrinterPort.h"
#include "fixtures/FormFixture.h"
#include "fixtures/MemoryPrintJob.h"
#include "fixtures/StoreFixture.h"
#include "forms/EntryBox.h"
#include "forms/frmZEL.h"
#include "store/DealSchema.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {
using Job = MemoryPrintJob;

QStringList shown(const ScriptedPrompter &p) {
    QStringList out;
    for (const auto &s : p.shown)
        out << QStringLiteral("%1|%2|%3").arg(s.style).arg(s.title, s.text);
    return out;
}

const QString paperPrompt = "1||INSERT BLANK SHEET OF PAPER IN PRINTER";

// A deal as the screen shows it.
QStringList dealBoxes() {
    return QString("03/05/2001|SMITH|JOHN Q|SMITH|MARY|123 MAIN ST|PORTLAND|OR 97201|01/02/1960|"
                   "03/04/1962|555-1234|BOB JONES|ABC|60|6.9|Y|N|GMA|15000.00|296.31|A1234|N|2001|"
                   "FORD|TAURUS|1FAFP55U01A123456|1200.00|150||25.5|80|450.00|300|120.25|60.75|"
                   "GAP|200|Other Profit 2|||-15|300|03/06/2001|199")
        .split('|');
}

SheetSource source(const QStringList &boxes) {
    return {"VOLMERA  VER8.10 for ACME MOTORS ", boxes, fieldCaptions(), "1031", "2581.25"};
}

// A line from texts placed at absolute columns: "col:text".
QString placed(const QStringList &parts) {
    QString line;
    for (const QString &part : parts) {
        const int column = part.section(':', 0, 0).toInt();
        [&] { QVERIFY2(line.size() < column, qPrintable(part)); }();
        line = line.leftJustified(column - 1, ' ') + part.section(':', 1);
    }
    return line;
}
} // namespace

class DealSheetTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void wholeSheet() {
        const QList<QStringList> expected = {
            {"2:VOLMERA  VER8.10 for ACME MOTORS "},
            {},
            {"55:Stock # A1234"},
            {"2:Date Sold 03/05/2001", "54:New/Used N", "68:Year 2001"},
            {"58:Make FORD"},
            {"16:Last Name", "32:First MI", "57:Model TAURUS"},
            {"10:BUYER SMITH", "32:JOHN Q", "57:Vin # 1FAFP55U01A123456"},
            {"9:SPOUSE SMITH", "32:MARY"},
            {"8:Address 123 MAIN ST", "59:Unit Profit", "71:   1200.00"},
            {"11:City PORTLAND", "57:Salesman Comm", "71:    150.00"},
            {"6:State/Zip OR 97201", "55:Salesman 2 Comm", "71:      0.00"},
            {"6:Buyer DOB 01/02/1960", "56:ASM Commission", "71:     25.50"},
            {"5:Spouse DOB 03/04/1962", "57:FI Commission", "71:     80.00"},
            {"8:Phone # 555-1234", "55:Finance Reserve", "71:    450.00"},
            {"4:Salesperson BOB JONES", "50:Service Contract Res", "71:    300.00"},
            {"9:FI MGR ABC", "58:Life Reserve", "71:    120.25"},
            {"2:Delivery Date 03/06/2001", "60:AH Reserve", "71:     60.75"},
            {"67:GAP", "71:    200.00"},
            {"13:Term  60", "23:APR/Lease Rate  6.90000", "56:Other Profit 2", "71:      0.00"},
            {"5:LAH Eligible Y", "71:    -15.00"},
            {"5:Srv Eligible N", "54:Total FI Reserve", "71:   1031.00"},
            {"3:Finance Source GMA", "66:Pack", "71:    300.00"},
            {"2:Amount Financed", "18:  15000.00", "61:Admin Fee", "71:    199.00"},
            {"6:Monthly Pmt", "18:    296.31", "58:Total Profit", "71:   2581.25"},
            {},
        };
        const QStringList lines = dealSheetLines(source(dealBoxes()));
        QCOMPARE(lines.size(), expected.size());
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(lines[i], placed(expected[i]));
    }

    void columns_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("line"); // from 1
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("lineCount");
        const QString name30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234";
        QTest::newRow("other profit of 5 ends in column 69")
            << 35 << "ABCDE" << 18 << QStringList{"65:ABCDE", "71:    200.00"} << 25;
        QTest::newRow("other profit of 25 is cut to 20")
            << 37 << "ABCDEFGHIJKLMNOPQRSTUVWXY" << 19
            << QStringList{"13:Term  60", "23:APR/Lease Rate  6.90000", "50:ABCDEFGHIJKLMNOPQRST",
                           "71:      0.00"}
            << 25;
        QTest::newRow("salesperson of 30 keeps the right part")
            << 11 << name30 << 15
            << QStringList{"4:Salesperson " + name30, "50:Service Contract Res", "71:    300.00"}
            << 25;
        QTest::newRow("salesperson past column 50 breaks the line")
            << 11 << name30 + "56789" << 16
            << QStringList{"50:Service Contract Res", "71:    300.00"} << 26;
        QTest::newRow("non-numeric amount counts its leading number")
            << 26 << "12*3" << 9
            << QStringList{"8:Address 123 MAIN ST", "59:Unit Profit", "71:     12.00"} << 25;
    }
    void columns() {
        QFETCH(int, box);
        QFETCH(QString, text);
        QFETCH(int, line);
        QFETCH(QStringList, expected);
        QFETCH(int, lineCount);
        QStringList boxes = dealBoxes();
        boxes[box] = text;
        const QStringList lines = dealSheetLines(source(boxes));
        QCOMPARE(lines.size(), lineCount);
        QCOMPARE(lines.at(line - 1), placed(expected));
        if (lineCount == 26) // the broken line holds the left part alone
            QCOMPARE(lines.at(14), "   Salesperson " + text);
    }

    void emptyAmountsPrintZero() {
        const QStringList lines =
            dealSheetLines({"X", QStringList(44), fieldCaptions(), QString(), QString()});
        QCOMPARE(lines.size(), 25);
        for (int line = 9; line <= 24; ++line) {
            QCOMPARE(lines[line - 1].size(), 80);
            QCOMPARE(lines[line - 1].mid(70), "      0.00");
        }
        QCOMPARE(lines[22].mid(17, 10), "      0.00");
        // An empty term and rate are blank, not 0 and 0.00000.
        QCOMPARE(lines[18].left(46), "            Term      APR/Lease Rate          ");
    }

    void printing_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("failure");
        QTest::addColumn<bool>("sent");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("OK sends every line")
            << int(Answer::OK) << int(Job::None) << true << QStringList{paperPrompt};
        QTest::newRow("Cancel prints nothing")
            << int(Answer::Cancel) << int(Job::None) << false << QStringList{paperPrompt};
        QTest::newRow("failed write leaves the job unsent")
            << int(Answer::OK) << int(Job::Write) << false
            << QStringList{paperPrompt, "16|REPORT - PRINT CMD|The printer is out of paper."};
    }
    void printing() {
        QFETCH(int, answer);
        QFETCH(int, failure);
        QFETCH(bool, sent);
        QFETCH(QStringList, messages);
        ScriptedPrompter prompter;
        prompter.answer(answer);
        Job job;
        job.failure = Job::Failure(failure);
        const QStringList lines = dealSheetLines(source(dealBoxes()));
        QCOMPARE(printDealSheet(lines, prompter, job.opener()), sent);
        QCOMPARE(shown(prompter), messages);
        QCOMPARE(job.closed, sent);
        QCOMPARE(job.bytes, sent ? (lines.join("\r\n") + "\r\n").toLatin1() : QByteArray());
    }

    // The menu item prints the screen as shown, unsaved edits included; Cancel prints nothing.
    void menuItemPrintsTheScreen() {
        FormFixture fx;
        ScriptedPrompter &prompter = fx.prompter;
        appSettings().DatabasePath = ".\\ZELDB.mdb";
        appSettings().VersionText = "VER8.10";
        appSettings().DealerName = "ACE MOTORS";
        createDealDatabase("ZELDB.mdb");
        StoreFixture::addDeal(*Database::open("ZELDB.mdb")->openRecordset(DealSchema::Table),
                              "ADAMS", "A1", {{"FinRes", "100.00"}});
        QVERIFY(QDir().mkdir("jobs"));
        PrinterPort::captureJobsIn(fx.dir.filePath("jobs"));
        {
            frmZEL form;
            QVERIFY(form.mnuPrintRec->isEnabled());
            prompter.answer(Answer::Cancel);
            form.mnuPrintRec->trigger();
            QCOMPARE(shown(prompter), QStringList{paperPrompt});
            QVERIFY(QDir("jobs").isEmpty());
            form.txtZEL[6]->setText("SALEM");
            form.mnuPrintRec->trigger();
            QFile job("jobs/0001-default.prn");
            QVERIFY(job.open(QIODevice::ReadOnly));
            const QList<QByteArray> lines = job.readAll().split('\n');
            QCOMPARE(lines.size(), 26);
            QCOMPARE(lines[0], " VOLMERA  VER8.10 for ACE MOTORS \r");
            QCOMPARE(lines[9],
                     "          City SALEM" + QByteArray(36, ' ') + "Salesman Comm       0.00\r");
            QCOMPARE(lines[20].mid(53), "Total FI Reserve     100.00\r");
        }
        PrinterPort::captureJobsIn({});
    }
};

REGISTER_TEST(DealSheetTest);
#include "tst_dealsheet.moc"
