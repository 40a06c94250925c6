#include "TestRegistry.h"

#include "base/AppSettings.h"
#include "base/ErrorTrap.h"
#include "base/ScriptedPrompter.h"
#include "domain/reports/PrinterPort.h"
#include "domain/reports/ReportPrinting.h"

#include "fixtures/CommandRun.h"
#include "fixtures/Golden.h"

#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QThread>

#include <cups/cups.h>

namespace {
// Where the PDF printer (cups-pdf) puts its files: VOLMERA_PDF_DIR when set, else its usual
// folders (Debian's "Out ${HOME}/PDF" and the one for anonymous jobs).
QStringList pdfFolders() {
    if (qEnvironmentVariableIsSet("VOLMERA_PDF_DIR"))
        return {qEnvironmentVariable("VOLMERA_PDF_DIR")};
    return {QDir::home().filePath("PDF"), QStringLiteral("/var/spool/cups-pdf/ANONYMOUS")};
}

QStringList pdfsIn(const QStringList &folders) {
    QStringList files;
    for (const QString &folder : folders)
        for (const QFileInfo &f : QDir(folder).entryInfoList({"*.pdf"}, QDir::Files))
            files << f.absoluteFilePath();
    return files;
}
} // namespace

// A report on a real printer: the CUPS default destination, a PDF printer in the test setup,
// read back with pdftotext. Skipped when no scheduler with a default printer answers.
class CupsPrintingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void unreachableScheduler() {
        cupsSetServer("/nonexistent/volmera-cups.sock");
        QString problem;
        try {
            PrinterPort::defaultPrinter(QStringLiteral("nothing"));
        } catch (const VolmeraError &e) {
            problem = e.description();
        }
        cupsSetServer(nullptr);
        QVERIFY2(problem.contains("cannot be reached"), qPrintable(problem));
    }

    void reportOnThePdfPrinter() {
        cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
        if (dest == nullptr)
            QSKIP(qPrintable(QStringLiteral("No CUPS scheduler with a default printer can be "
                                            "reached (%1); the PDF printer test is skipped.")
                                 .arg(QString::fromUtf8(cupsLastErrorString()))));
        const QString device =
            QString::fromUtf8(cupsGetOption("device-uri", dest->num_options, dest->options));
        cupsFreeDests(1, dest);
        if (!device.startsWith("cups-pdf:"))
            QSKIP("The default printer is not a PDF printer: no test page goes to a real one.");
        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed.");

        const QStringList folders = pdfFolders();
        const QStringList before = pdfsIn(folders);
        AppSettings &s = appSettings();
        s.DealerName = "ACE MOTORS";
        s.TodayText = "12/06/2026";
        ReportConditions c;
        c.report = 3;
        c.BDT = "01/01/2024";
        c.EDT = "12/06/2026";
        ReportOutput out;
        out.lines = {"03/01 SMITH      A1       N 2024 TOYOTA CAMRY        500.00    300.00    "
                     "800.00"};
        out.totals = {{"lblGSRTtl", "   500.00    300.00    800.00"}};
        PrintRun run = printRunFor(c, out);
        run.continuous = true;
        ScriptedPrompter prompter; // the paper is in
        PrompterScope scope(&prompter);
        QVERIFY(printReport(run, false));

        QString made;
        QElapsedTimer waited;
        waited.start();
        while (made.isEmpty() && waited.elapsed() < 90000) {
            QThread::msleep(250);
            for (const QString &pdf : pdfsIn(folders))
                if (!before.contains(pdf) && QFileInfo(pdf).size() > 0)
                    made = pdf;
        }
        QVERIFY2(!made.isEmpty(), qPrintable("no new PDF in " + folders.join(", ")));
        QThread::msleep(500); // the printer may still be finishing the file
        // pdftotext lays the text out again: the blanks it gives vary, the words do not.
        const CommandRun read = runProgram(pdftotext, {"-layout", made, "-"});
        QCOMPARE(read.status, 0);
        QStringList lines;
        for (const QString &line : read.out.split(u'\n')) {
            if (const QString words = line.simplified(); !words.isEmpty())
                lines << words;
        }
        QCOMPARE(lines, goldenLines("printing/cups-gross-sales.txt"));
        QFile::remove(made);
    }
};

REGISTER_TEST(CupsPrintingTest);
#include "tst_printing_cups.moc"
