#include "TestRegistry.h"
#include "base/AppSettings.h"
#include "base/ScriptedPrompter.h"
#include "domain/entry/DealSheet.h"
#include "domain/reports/PrinterPort.h"
#include "fixtures/FormFixture.h"
#include "fixtures/Golden.h"
#include "fixtures/GoldenRows.h"
#include "fixtures/MemoryPrintJob.h"
#include "fixtures/StoreFixture.h"
#include "forms/EntryBox.h"
#include "forms/frmZEL.h"
#include "store/DealSchema.h"

#include <QDir>
#include <QFile>

namespace {
using Job = MemoryPrintJob;

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
} // namespace

class DealSheetTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The deal as shown, then a text of each width that runs into the next column; the sheets
    // are in forms/dealsheet-columns.txt.
    void sheet_data() {
        QTest::addColumn<int>("box"); // -1: the deal as shown
        QTest::addColumn<QString>("text");
        const QString name30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234";
        QTest::newRow("the deal") << -1 << QString();
        QTest::newRow("other profit of 5 ends in column 69") << 35 << "ABCDE";
        QTest::newRow("other profit of 25 is cut to 20") << 37 << "ABCDEFGHIJKLMNOPQRSTUVWXY";
        QTest::newRow("salesperson of 30 keeps the right part") << 11 << name30;
        QTest::newRow("salesperson past column 50 breaks the line") << 11 << name30 + "56789";
        QTest::newRow("non-numeric amount counts its leading number") << 26 << "12*3";
    }
    void sheet() {
        QFETCH(int, box);
        QFETCH(QString, text);
        QStringList boxes = dealBoxes();
        if (box >= 0)
            boxes[box] = text;
        QCOMPARE(dealSheetLines(source(boxes)), goldenRows("forms/dealsheet-columns.txt"));
    }

    // No amount typed prints 0.00 in every amount column; an empty term and rate are blank.
    void emptyDeal() {
        QCOMPARE(dealSheetLines({"X", QStringList(44), fieldCaptions(), QString(), QString()}),
                 goldenLines("forms/dealsheet-empty.txt"));
    }

    // A printer that fails part-way gets no half sheet, and the box says why.
    void failedWriteSendsNothing() {
        FormFixture fx;
        fx.prompter.answer(Answer::OK);
        Job job;
        job.failure = Job::Write;
        QVERIFY(!printDealSheet(dealSheetLines(source(dealBoxes())), fx.prompter, job.opener()));
        QCOMPARE(fx.shown(),
                 (QStringList{paperPrompt, "16|REPORT - PRINT CMD|The printer is out of paper."}));
        QVERIFY(!job.closed);
        QCOMPARE(job.bytes, QByteArray());
    }

    // The menu item prints the screen as shown, unsaved edits included; Cancel prints nothing.
    void menuItemPrintsTheScreen() {
        FormFixture fx;
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
            fx.prompter.answer(Answer::Cancel);
            form.mnuPrintRec->trigger();
            QCOMPARE(fx.shown(), QStringList{paperPrompt});
            QVERIFY(QDir("jobs").isEmpty());
            form.txtZEL[6]->setText("SALEM");
            form.mnuPrintRec->trigger();
            QFile job("jobs/0001-default.prn");
            QVERIFY(job.open(QIODevice::ReadOnly));
            QCOMPARE(job.readAll(),
                     (goldenLines("forms/dealsheet-screen.txt").join("\r\n") + "\r\n").toLatin1());
        }
        PrinterPort::captureJobsIn({});
    }
};

REGISTER_TEST(DealSheetTest);
#include "tst_dealsheet.moc"
