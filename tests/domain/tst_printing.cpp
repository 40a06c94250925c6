#include "TestRegistry.h"

#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/Cp1252.h"
#include "base/ScriptedPrompter.h"
#include "cli/LabelsCommand.h"
#include "cli/ReportCommand.h"
#include "domain/reports/Labels.h"
#include "domain/reports/Pagination.h"
#include "domain/reports/PrinterPort.h"
#include "domain/reports/ReportPrinting.h"
#include "domain/reports/Reports.h"
#include "fixtures/GoldenRows.h"
#include "fixtures/GoldenTable.h"
#include "fixtures/StoreFixture.h"
#include "forms/frmRpt.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

using Choice = std::optional<Prompter::PrinterChoice>;
Q_DECLARE_METATYPE(Choice)

namespace {
QStringList numbered(const QString &prefix, int from, int to) {
    QStringList lines;
    for (int i = from; i <= to; ++i)
        lines << QStringLiteral("%1%2").arg(prefix).arg(i, 3, 10, QChar('0'));
    return lines;
}
// Entries of size lines each, "E001a", "E001b", ...; in a list their first lines end in blanks.
QStringList entries(int count, int size, const QString &trailing = {}) {
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        for (int k = 0; k < size; ++k)
            lines << QStringLiteral("E%1%2").arg(i, 3, 10, QChar('0')).arg(QChar('a' + k)) +
                         (k == 0 ? trailing : QString());
    return lines;
}
// F&I log deals: the two lines of a deal and the empty line after them.
QStringList deals(int from, int to) {
    QStringList lines;
    for (int i = from; i <= to; ++i)
        lines << QStringLiteral("DEAL %1   ").arg(i, 3, 10, QChar('0'))
              << QString(12, ' ') + QStringLiteral("T%1").arg(i, 71, 10, QChar('0')) << QString();
    return lines;
}
QStringList group(const QString &name) {
    return {name + " (Salesman)"};
}

const QString blankSheet = "INSERT BLANK SHEET OF PAPER IN PRINTER";
const QString freshSheet = "INSERT A FRESH BLANK PAPER IN PRINTER";
} // namespace

// Report printing and mailing labels: document files, printer jobs (captured), the paper
// prompts, the command line and the print conditions panel.
class PrintingTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString previous;
    ScriptedPrompter *prompter = nullptr;
    std::unique_ptr<PrompterScope> scope;

    QString jobsFolder() const { return dir.filePath("jobs"); }

    static PrintRun runOf(int report, const QStringList &lines) {
        ReportConditions c;
        c.report = report;
        c.BDT = "01/01/2024";
        c.EDT = "12/06/2026";
        if (report == 4)
            c.PrtBy = ReportConditions::ASM;
        if (report == 1)
            c.Veh = ReportConditions::New;
        ReportOutput out;
        out.lines = lines;
        out.totals = {{"lblGSRTtl", "   850.50    350.00   1200.50  "},
                      {"lblCommTtl", "2.0 1.0  "},
                      {"lblCommAv", "100.00"},
                      {"lblFILogTtl", "TOTALS"}};
        return printRunFor(c, out);
    }

    // The printed text with its CRLF line ends made "\n"; fails on a bare line feed.
    static QString text(const QByteArray &bytes) {
        QString t = Cp1252::decode(bytes);
        const QString lf = QString(t).replace("\r\n", "\n");
        if (lf.count('\n') != t.count("\r\n"))
            return QStringLiteral("<bare line feed> ") + t;
        return lf;
    }
    static QByteArray fileBytes(const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QStringList jobs() const { return QDir(jobsFolder()).entryList(QDir::Files, QDir::Name); }
    // One deal, sold by JONES to SMITH.
    void makeDatabase() {
        createDealDatabase(dir.filePath("ZELDB.mdb"));
        auto db = Database::open(dir.filePath("ZELDB.mdb"));
        StoreFixture::addDeal(
            *db->openRecordset("ZEL"), "SMITH", "A1",
            {{"DateSold", QDate(2024, 3, 1)}, {"NewUsed", "N"}, {"Salesman", "JONES"}});
    }
    QStringList promptsShown() const {
        QStringList texts;
        for (const auto &box : prompter->shown)
            texts << box.text;
        return texts;
    }

private Q_SLOTS:
    void init() {
        previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QDir(jobsFolder()).removeRecursively();
        QDir().mkpath(jobsFolder());
        PrinterPort::captureJobsIn(jobsFolder());
        AppSettings &s = appSettings();
        s = AppSettings();
        s.DatabasePath = ".\\ZELDB.mdb";
        s.TodayText = "12/06/2026";
        s.DealerName = "ACE MOTORS";
        prompter = new ScriptedPrompter;
        scope = std::make_unique<PrompterScope>(prompter);
    }
    void cleanup() {
        scope.reset();
        delete prompter;
        PrinterPort::captureJobsIn({});
        Clock::setToday({});
        QDir::setCurrent(previous);
        QDir data(dir.path());
        for (const QString &name : data.entryList({"*.DOC", "ZELDB.mdb"}, QDir::Files))
            data.remove(name);
    }

    // The pages of a run, without a printer, each page end shown as the document file ends it:
    // the expected texts are the document files under tests/golden/printing/.
    void pages_data() {
        QTest::addColumn<QString>("golden");
        QTest::addColumn<int>("report");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("salesperson"); // empty: printed for the dealership
        QTest::addColumn<QStringList>("salespeople");
        const auto row = [](const char *name, const char *golden, int report,
                            const QStringList &lines, const char *salesperson = "",
                            const QStringList &salespeople = {}) {
            QTest::newRow(name) << QString(golden) << report << lines << QString(salesperson)
                                << salespeople;
        };
        row("gross sales: trailing blanks go, the totals follow", "gsr-totals", 3,
            {"A 1", "", "B 2   "});
        row("gross sales: the 44th line starts page 2", "gsr-44-lines", 3, numbered("L", 1, 44));
        row("gross sales: ending at a page end, no empty page follows", "gsr-86-lines", 3,
            numbered("L", 1, 86));
        row("commission: ASM heading, empty lines kept, three totals lines", "comm-asm", 4,
            {"C1", "", "C2"});
        row("customer file: the 23rd entry starts page 2, trailing blanks go", "names-23-entries",
            5, entries(23, 2, "     "));
        row("follow-up list: 14 entries a page", "service-15-entries", 9, entries(15, 3));
        const QStringList twoGroups = {"ADAMS", "JONES"};
        row("anniversary by salesperson: empty lines skipped, a page each",
            "anniversary-by-salesperson", 7,
            group("ADAMS") + entries(1, 3) + QStringList{""} + group("JONES") + entries(1, 3),
            "ALL", twoGroups);
        row("F&I log of new vehicles: 43 deals a page, the totals on the next", "filog-44-deals", 1,
            deals(1, 44));
        const QStringList block = numbered("S", 1, 22);
        row("summary by salesperson: a block a page", "summary-by-salesperson", 2,
            group("ADAMS") + block + QStringList{""} + group("JONES") + block, "ALL", twoGroups);
        const QStringList bySp = group("ADAMS") + QStringList{"a1", "a2", ""} + group("JONES") +
                                 QStringList{"j1", ""} + group("SMITH") + QStringList{"s1"};
        const QStringList sp = {"ADAMS", "JONES", "SMITH"};
        row("ALL: a page per salesperson, pages counted on, no totals", "gsr-all-salespeople", 3,
            bySp, "ALL", sp);
        row("one salesperson, in any letter case: from its group line to the next",
            "gsr-one-salesperson", 3, bySp, "jones  ", sp);
        row("a salesperson without a group line: the header alone", "gsr-unknown-salesperson", 3,
            bySp, "NOBODY", sp);
        row("ALL, the list starting with another name: an empty first page", "gsr-empty-first-page",
            3, bySp, "ALL", QStringList{"BAKER"} + sp);
    }
    void pages() {
        QFETCH(QString, golden);
        QFETCH(int, report);
        QFETCH(QStringList, lines);
        QFETCH(QString, salesperson);
        QFETCH(QStringList, salespeople);
        PrintRun run = runOf(report, lines);
        run.bySalesperson = !salesperson.isEmpty();
        run.salesperson = salesperson;
        run.salespeople = salespeople;
        QString printed;
        int number = 0;
        for (const PrintedPage &page : paginate(run)) {
            QCOMPARE(page.number, ++number);
            if (!page.lines.isEmpty())
                printed += page.lines.join('\n') + '\n';
            if (page.pageEnd)
                printed += QString(reportDescriptor(report)->layout.fileEndRows, '\n');
        }
        QCOMPARE(printed, goldenText("printing/" + golden + ".txt"));
    }

    // A prompt for each answer: the blank sheet first, then a fresh sheet. The jobs sent, each
    // after a line with its name, are printing/jobs-GOLDEN.txt. Compressed print is the F&I log's
    // alone: its codes begin each job and the last ends it.
    void printerJobs_data() {
        QTest::addColumn<QString>("golden");
        QTest::addColumn<int>("report");
        QTest::addColumn<bool>("continuous");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<int>>("answers");
        const auto row = [](const char *name, const char *golden, int report, bool continuous,
                            const QStringList &lines, const QList<int> &answers) {
            QTest::newRow(name) << QString(golden) << report << continuous << lines << answers;
        };
        const QStringList list = numbered("L", 1, 44);
        const int ok = Answer::OK, cancel = Answer::Cancel;
        row("continuous: a form feed line ends a page", "continuous", 3, true, list, {ok});
        row("single sheets: a fresh sheet after each page", "single-sheets", 3, false, list,
            {ok, ok});
        row("cancel at the first prompt: nothing printed", "cancelled", 3, false, list, {cancel});
        row("cancel at the fresh sheet: nothing more, no totals", "cancelled-at-fresh-sheet", 3,
            false, list, {ok, cancel});
        row("a page end on the last line is followed by the prompt too", "page-end-last-line", 3,
            false, group("ADAMS") + numbered("L", 1, 43), {ok, ok});
        row("F&I log in compressed print", "compressed", 1, true, deals(1, 44), {ok});
    }
    void printerJobs() {
        QFETCH(QString, golden);
        QFETCH(int, report);
        QFETCH(bool, continuous);
        QFETCH(QStringList, lines);
        QFETCH(QList<int>, answers);
        for (int a : answers)
            prompter->answer(a);
        PrintRun run = runOf(report, lines);
        run.continuous = continuous;
        run.compressed = true; // ticked on whichever report's panel
        run.bySalesperson = lines.first().contains("(Salesman)");
        run.salespeople = {"ADAMS"};
        QVERIFY(printReport(run, false));
        QCOMPARE(promptsShown(), QStringList({blankSheet, freshSheet}).mid(0, answers.size()));
        QString sent;
        for (const QString &name : jobs())
            sent += "== " + name + "\n" + text(fileBytes(QDir(jobsFolder()).filePath(name)));
        QCOMPARE(sent, goldenText("printing/jobs-" + golden + ".txt"));
        QVERIFY(!QFile::exists(documentFileName(report)));
    }

    void labels_data() {
        QTest::addColumn<QStringList>("lines"); // empty: the test labels
        QTest::addColumn<QString>("job");
        QTest::addColumn<QString>("golden");
        const QStringList ann = {"ANN LEE", "1 MAIN ST", "SALEM, OR 97301", "", ""};
        QTest::newRow("two customers: 12 lines, names on lines 1 and 7")
            << ann + QStringList{"BOB RAY", "2 ELM ST", "BEND, OR 97701", "", ""} << "0001-LPT1.prn"
            << "labels-two-customers";
        QTest::newRow("a list that ends inside an entry stops at its end")
            << ann + QStringList{"BOB RAY"} << "0001-LPT1.prn"
            << "labels-cut-short";
        QTest::newRow("three test labels: 18 lines") << QStringList() << "0001-default.prn"
                                                     << "labels-test";
    }
    void labels() {
        QFETCH(QStringList, lines);
        QFETCH(QString, job);
        QFETCH(QString, golden);
        QVERIFY(lines.isEmpty() ? PrintTestLabels() : PrintLabels(lines));
        QCOMPARE(jobs(), QStringList{job});
        QCOMPARE(text(fileBytes(QDir(jobsFolder()).filePath(job))),
                 goldenText("printing/" + golden + ".txt"));
        QCOMPARE(promptsShown(), QStringList{"LABELS READY TO PRINT"});
        QCOMPARE(prompter->shown.first().style, int(Style::OKCancel));
    }

    // Every box shown, "title|text", is in printing/failures.txt: the first failure ends the run.
    void failures_data() {
        QTest::addColumn<int>("what");
        QTest::addColumn<int>("buttons"); // of the box that reports the failure
        QTest::newRow("three pages on a printer that cannot be reached") << 0 << int(Style::OK);
        QTest::newRow("document file that cannot be replaced") << 1 << int(Style::OK);
        QTest::newRow("test labels") << 2 << int(Style::OK);
        QTest::newRow("mailing labels: Retry or Cancel after the third failure")
            << 3 << int(Style::RetryCancel);
    }
    void failures() {
        QFETCH(int, what);
        QFETCH(int, buttons);
        QDir(jobsFolder()).removeRecursively(); // the printer is gone
        prompter->answer(Answer::OK);           // the paper is in
        prompter->answer(Answer::Cancel);       // the Retry or Cancel box
        PrintRun run = runOf(3, {"L1", "L2"});
        bool printed = true;
        switch (what) {
        case 0:
            run.lines = numbered("L", 1, 100);
            printed = printReport(run, false);
            break;
        case 1:
            QVERIFY(QDir().mkdir("GSRpt.DOC"));
            run.printer.toFile = true;
            printed = printReport(run, false);
            QVERIFY(QFileInfo("GSRpt.DOC").isDir()); // left alone, not written into
            QDir().rmdir("GSRpt.DOC");
            break;
        case 2:
            printed = PrintTestLabels();
            break;
        default:
            printed = PrintLabels({"ANN LEE", "1 MAIN ST", "SALEM", "", ""});
            break;
        }
        QVERIFY(!printed);
        QStringList boxes;
        for (const auto &box : prompter->shown)
            boxes << box.title + '|' + box.text;
        QCOMPARE(boxes, goldenRows("printing/failures.txt").replaceInStrings("%1", dir.path()));
        const auto &box = prompter->shown.last();
        QCOMPARE(Prompter::buttonsOf(box.style), buttons);
        if (buttons == Style::OK)
            QCOMPARE(box.style & Style::Critical, int(Style::Critical));
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("made");
        for (const QStringList &r : goldenTable("printing/command-line.txt"))
            QTest::newRow(qPrintable(r.value(0)))
                << r.value(1).split(' ') << r.value(2).toInt() << r.value(3);
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, made);
        makeDatabase();
        if (QTest::currentDataTag() == QLatin1String("printer gone"))
            QDir(jobsFolder()).removeRecursively();
        const bool labels = arguments.takeFirst() == "labels";
        arguments << "--data-dir" << dir.path();
        const int got = labels ? runLabelsCommand(arguments)
                               : runReportCommand(arguments + QStringList{"--today", "12/06/2026"});
        QDir::setCurrent(dir.path());
        QCOMPARE(got, status);
        if (!made.isEmpty())
            QVERIFY(text(fileBytes(made)).contains(labels ? "    XXXXXXXX\n" : "SMITH"));
    }

    // The print dialog's choice: where the printout goes, and the message that says where.
    void printConditionsPanel_data() {
        QTest::addColumn<int>("report");
        QTest::addColumn<QString>("condition"); // the option ticked on the conditions panel
        QTest::addColumn<Choice>("choice");
        QTest::addColumn<QStringList>("shown"); // on the print conditions panel
        QTest::addColumn<QString>("made");      // the file written, or the printer job
        const auto row = [](const char *name, int report, const char *condition,
                            const Choice &choice, const QStringList &shown, const char *made) {
            QTest::newRow(name) << report << QString(condition) << choice << shown << QString(made);
        };
        const auto to = [](const char *file) {
            Prompter::PrinterChoice c;
            c.toFile = true;
            c.fileName = QString::fromLatin1(file);
            return Choice(c);
        };
        Prompter::PrinterChoice office;
        office.printer = "OFFICE";
        office.copies = 2;
        row("dialog cancelled", 3, "optPrtBy_0", Choice(), {}, "");
        row("gross sales to its document file", 3, "optPrtBy_0", to(""), {"chkCont"}, "GSRpt.DOC");
        row("by salesperson, on the printer chosen, two copies", 3, "optPrtBy_1", office,
            {"chkCont", "lblPrt_1", "cboSM"}, "jobs/0001-OFFICE-2.prn");
        row("F&I log to a file named", 1, "optPrtBy_0", to("mine.txt"), {"chkCont", "chkOkiComp"},
            "mine.txt");
        row("F&I log to a PDF", 1, "optPrtBy_0", to("log.PDF"), {"chkCont", "chkOkiComp"},
            "log.PDF");
        row("labels", 5, "optPrtFmt_1", Prompter::PrinterChoice(), {"chkCont", "cmdPrtLbls"},
            "jobs/0001-LPT1.prn");
    }
    void printConditionsPanel() {
        QFETCH(int, report);
        QFETCH(QString, condition);
        QFETCH(Choice, choice);
        QFETCH(QStringList, shown);
        QFETCH(QString, made);
        makeDatabase();
        if (!made.isEmpty()) {
            QFile old(made); // an earlier run's file is replaced
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("AN EARLIER RUN\r\n");
        }
        frmRpt form(report);
        form.findChild<QRadioButton *>(condition)->click();
        form.cmdCndOK_Click();
        prompter->choose(choice);
        const int panel = report == 1 ? 1 : report == 3 ? 3 : 5;
        form.findChild<QPushButton *>(QStringLiteral("cmdPrint_%1").arg(panel - 1))->click();
        auto *print = form.findChild<QWidget *>("pbxReport_8");
        QCOMPARE(!print->isHidden(), choice.has_value());
        QCOMPARE(form.pbxReport[panel]->isEnabled(), !choice.has_value());
        for (const char *name : {"chkCont", "chkOkiComp", "lblPrt_1", "cboSM", "cmdPrtLbls"})
            QCOMPARE(!print->isHidden() && form.findChild<QWidget *>(name)->isVisibleTo(print),
                     shown.contains(name));
        if (shown.contains("cboSM"))
            QCOMPARE(form.cboSM->currentText(), QStringLiteral("ALL"));
        if (!choice)
            return;
        prompter->shown.clear();
        form.findChild<QPushButton *>("cmdPrtOK")->click();
        QVERIFY(print->isHidden());
        QVERIFY(form.pbxReport[panel]->isEnabled());
        const QByteArray bytes = fileBytes(made);
        const QString begins = report == 5 ? "  SMITH\n" : "Dec 6, 2026   ACE MOTORS";
        QVERIFY2(made.endsWith(".PDF") ? bytes.startsWith("%PDF") : text(bytes).startsWith(begins),
                 bytes.left(40));
        QStringList said = promptsShown();
        if (choice->toFile)
            QCOMPARE(said.takeLast(), "REPORT PRINTED TO " + QFileInfo(made).absoluteFilePath());
        else if (report != 5)
            QCOMPARE(said.takeLast(), QString("INSERT BLANK SHEET OF PAPER IN PRINTER"));
    }
};

REGISTER_TEST(PrintingTest);
#include "tst_printing.moc"
