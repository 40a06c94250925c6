#include "TestRegistry.h"
#include "base/AppSettings.h"
#include "base/ScriptedPrompter.h"
#include "fixtures/FormFixture.h"
#include "fixtures/MemoryPrintJob.h"
#include "forms/frmRpt.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
const QString paperPrompt = "1||INSERT BLACK SHEET OF PAPER IN PRINTER";
} // namespace

// The letter box printed as it stands.
class LetterPrintTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void printing_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QByteArray>("sent"); // what the printer got; empty: nothing
        QTest::addColumn<QStringList>("messages");
        const int ok = Answer::OK, none = MemoryPrintJob::None;
        QTest::newRow("blanks alone do nothing")
            << "    " << ok << none << QByteArray() << QStringList();
        QTest::newRow("Cancel prints nothing")
            << "Dear" << int(Answer::Cancel) << none << QByteArray() << QStringList{paperPrompt};
        QTest::newRow("text and one CRLF")
            << "\n\n  Dear\nJohn  " << ok << none << QByteArray("\r\n\r\n  Dear\r\nJohn  \r\n")
            << QStringList{paperPrompt};
        QTest::newRow("CRLF text keeps single line ends")
            << "A\r\nB" << ok << none << QByteArray("A\r\nB\r\n") << QStringList{paperPrompt};
        QTest::newRow("code page 1252") << QString::fromUtf8("Caf\u00e9 \u20ac5") << ok << none
                                        << QByteArray("Caf\xe9 \x80"
                                                      "5\r\n")
                                        << QStringList{paperPrompt};
        QTest::newRow("printer failure")
            << "Dear" << ok << int(MemoryPrintJob::Open) << QByteArray()
            << QStringList{paperPrompt, "16|REPORT - PRT LTR CMD|The printer cannot be reached."};
    }
    void printing() {
        QFETCH(QString, text);
        QFETCH(int, answer);
        QFETCH(int, failure);
        QFETCH(QByteArray, sent);
        QFETCH(QStringList, messages);
        FormFixture fx;
        fx.prompter.answer(answer);
        MemoryPrintJob job;
        job.failure = MemoryPrintJob::Failure(failure);
        QCOMPARE(printLetter(text, fx.prompter, job.opener()), !sent.isEmpty());
        QCOMPARE(fx.shown(), messages);
        QCOMPARE(job.bytes, sent);
        QCOMPARE(job.closed, !sent.isEmpty());
    }

    // The panel's button prints the box's text, edits and all.
    void panelButton() {
        FormFixture fx;
        frmRpt form(6);
        auto *print = form.findChild<QPushButton *>("cmdPrtLtr");
        QVERIFY(print != nullptr);
        QVERIFY(print->isEnabled());
        PrinterPort::captureJobsIn(fx.dir.path());
        form.txtLTR->setPlainText("Dear John,\nThanks");
        print->click();
        PrinterPort::captureJobsIn({});
        QCOMPARE(fx.shown(), QStringList{paperPrompt});
        QFile job("0001-default.prn");
        QVERIFY(job.open(QIODevice::ReadOnly));
        QCOMPARE(job.readAll(), "Dear John,\r\nThanks\r\n");
    }
};

REGISTER_TEST(LetterPrintTest);
#include "tst_letterprint.moc"
