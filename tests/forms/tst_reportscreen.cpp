#include "TestRegistry.h"

#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/ScriptedPrompter.h"
#include "cli/ReportCommand.h"
#include "domain/reports/ReportSelection.h"
#include "fixtures/FormFixture.h"
#include "fixtures/Golden.h"
#include "fixtures/GoldenRows.h"
#include "fixtures/StoreFixture.h"
#include "forms/frmRpt.h"
#include "store/DealSchema.h"
#include "store/Recordset.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

// The report screen: the conditions each report offers, the date boxes, and a build shown.
class ReportScreenTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FormFixture> fx;

    static void addDeal(Recordset &rs, const QString &last, const QString &stock, const QDate &sold,
                        const QString &salesman) {
        StoreFixture::addDeal(rs, last, stock,
                              {{"ByFirstMI", "JOHN Q"},
                               {"ByAdr", "12/B MAIN ST"},
                               {"ByCity", "SALEM"},
                               {"ByStateZip", "OR 97301"},
                               {"DateSold", sold},
                               {"NewUsed", "N"},
                               {"Salesman", salesman},
                               {"UnitPrft", "500.00"},
                               {"Pack", "300.00"}});
    }

private Q_SLOTS:
    void init() {
        fx = std::make_unique<FormFixture>();
        createDealDatabase("ZELDB.mdb");
        auto db = Database::open("ZELDB.mdb");
        auto rs = db->openRecordset("ZEL");
        addDeal(*rs, "SMITH", "A1", QDate(2024, 3, 1), "JONES");
        addDeal(*rs, "BROWN", "A2", QDate(2024, 3, 2), "ADAMS/JONES");
        Clock::setToday(QDate(2026, 12, 6));
        AppSettings &s = appSettings();
        s.DatabasePath = ".\\ZELDB.mdb";
        s.TodayText = "12/06/2026";
        s.DealerName = "ACE MOTORS";
    }
    void cleanup() { fx.reset(); }

    // The screen offers a report exactly the conditions the command line accepts for it. Each
    // report's caption and what it offers besides the dates, "All" and "Dealership" are in
    // forms/report-conditions.txt.
    void conditionsOfEachReport_data() {
        QTest::addColumn<int>("report");
        for (int report = 1; report <= 12; ++report)
            QTest::newRow(qPrintable(reportDescriptor(report)->name)) << report;
    }
    void conditionsOfEachReport() {
        QFETCH(int, report);
        const QStringList expected = goldenRows("forms/report-conditions.txt").value(0).split('|');
        const QString caption = expected.value(0);
        const QStringList offered = expected.value(1).split(' ');
        frmRpt form(report);
        QCOMPARE(form.windowTitle(), caption);
        QCOMPARE(form.txtBDT->text(), QStringLiteral("01/01/1900"));
        QCOMPARE(form.txtEDT->text(), QStringLiteral("12/06/2026"));
        // Each condition by its control on the screen and its option on the command line.
        const QList<std::pair<const char *, QStringList>> conditions = {
            {"optVeh_0", {"--vehicle", "new"}},  {"optPrtBy_1", {"--by", "salesperson"}},
            {"optPrtBy_2", {"--by", "asm"}},     {"fraFIMgr", {"--fi-mgr", "JD"}},
            {"fraModel", {"--model", "F150"}},   {"chkAnnvYr", {"--include-year"}},
            {"fraPrtTo", {"--format", "label"}}, {"letter", {"--letter", "1"}},
            {"txtBDT", {"--from", "01/01/2024"}}};
        for (const auto &[name, arguments] : conditions) {
            QWidget *w = form.findChild<QWidget *>(name);
            const bool shown = w != nullptr && w->isVisibleTo(&form) && w->isEnabled();
            QCOMPARE(shown || (QLatin1String(name) == "letter" && report == 6),
                     offered.contains(name));
            QCommandLineParser p;
            addReportConditionOptions(p);
            QVERIFY(p.parse(QStringList{"volmera"} + arguments));
            ReportConditions c;
            c.report = report;
            QCOMPARE(readReportConditions(p, c).isEmpty(), offered.contains(name));
        }
    }

    // A date box left with Tab, or Enter pressed in it: the date is completed and checked, and
    // only checked dates are built on. Nothing typed leaves the date as it is.
    void dateBoxes_data() {
        QTest::addColumn<int>("report");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed"); // null: nothing; empty: Backspace
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("built");
        const auto row = [](const char *name, int report, const char *box, const QString &typed,
                            int key, const char *left, bool invalid, bool built) {
            QTest::newRow(name) << report << QString(box) << typed << key << QString(left)
                                << (invalid ? QString("ERROR - INVALID DATE") : QString()) << built;
        };
        const int tab = Qt::Key_Tab, enter = Qt::Key_Return;
        row("completed", 3, "txtBDT", "3/5/04", tab, "03/05/2004", false, false);
        row("December", 3, "txtEDT", "12/31/24", tab, "12/31/2024", false, false);
        row("emptied gets its default", 3, "txtBDT", "", tab, "01/01/1900", false, false);
        row("rejected stays empty", 3, "txtBDT", "13/45/2004", tab, "", true, false);
        row("anniversary completes it too", 7, "txtBDT", "3/5", tab, "03/05/2026", false, false);
        row("Enter keeps the ending date", 3, "txtEDT", QString(), enter, "12/06/2026", false,
            true);
        row("Enter checks a typed date", 3, "txtBDT", "1/1/24", enter, "01/01/2024", false, true);
        row("Enter on a date that is none builds nothing", 3, "txtEDT", "13/45/2004", enter, "",
            true, false);
    }
    void dateBoxes() {
        QFETCH(int, report);
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QString, left);
        QFETCH(QString, message);
        QFETCH(bool, built);
        frmRpt form(report);
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto *edit = form.findChild<QLineEdit *>(box);
        edit->setFocus(Qt::TabFocusReason); // as Tab brings the focus: the date selected
        edit->selectAll();
        if (typed.isEmpty() && !typed.isNull())
            QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, typed); // the first key replaces the whole date
        QTest::keyClick(edit, Qt::Key(key));
        QCOMPARE(edit->text(), left);
        QCOMPARE(edit->cursorPosition(), 0); // shown from its start
        QCOMPARE(fx->prompter.shown.isEmpty() ? QString() : fx->prompter.shown.first().text,
                 message);
        QCOMPARE(form.pbxReport[report == 7 ? 5 : 3]->isVisibleTo(&form), built);
        if (built)
            QCOMPARE(form.findChild<QLabel *>(box == "txtBDT" ? "lblGSDT_0" : "lblGSDT_1")->text(),
                     left);
    }

    // At the size it opens with, every caption of the screen is whole and no two overlap; the
    // list shows its widest line whole and grows with the window.
    void nothingCutOff_data() {
        QTest::addColumn<int>("report");
        for (int report : {1, 2, 4, 5, 6, 7, 10, 11, 12})
            QTest::newRow(qPrintable(reportDescriptor(report)->name)) << report;
    }
    void nothingCutOff() {
        QFETCH(int, report);
        frmRpt form(report);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const auto whole = [](QWidget *panel) {
            QList<QRect> texts; // the painted text of each caption, in the panel
            for (QWidget *w : panel->findChildren<QWidget *>()) {
                QString text;
                int flags = 0;
                if (auto *label = qobject_cast<QLabel *>(w)) {
                    text = label->text().trimmed();
                    flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
                } else if (qobject_cast<QAbstractButton *>(w)) {
                    QVERIFY2(!w->isVisibleTo(panel) || w->width() >= w->sizeHint().width(),
                             qPrintable(w->objectName()));
                    continue;
                }
                if (text.isEmpty() || !w->isVisibleTo(panel))
                    continue;
                const QRect box = w->rect();
                const QRect painted = w->fontMetrics().boundingRect(box, flags, text);
                QVERIFY2(box.contains(painted), qPrintable(w->objectName() + ": " + text));
                texts << painted.translated(w->mapTo(panel, QPoint()));
            }
            for (qsizetype i = 0; i < texts.size(); ++i)
                for (qsizetype k = i + 1; k < texts.size(); ++k)
                    QVERIFY2(
                        !texts[i].intersects(texts[k]),
                        qPrintable(QStringLiteral("captions %1 and %2 overlap").arg(i).arg(k)));
        };
        whole(form.pbxCond);
        if (QTest::currentTestFailed())
            return;
        form.cmdCndOK_Click();
        QVERIFY(form.width() <= 1024 && form.height() <= 768);
        QWidget *panel = form.pbxReport[form.report.panel];
        whole(panel);
        auto *list = report == 6 ? form.lstLTR : form.reportList[form.report.panel - 1];
        const QStringList lines = form.built.lines.toStringList();
        QVERIFY(!lines.isEmpty());
        qsizetype widest = 0;
        for (qsizetype i = 0; i < lines.size(); ++i)
            widest = lines[i].size() > lines[widest].size() ? i : widest;
        QVERIFY(list->visualRect(list->model()->index(int(widest), 0)).width() >=
                list->fontMetrics().horizontalAdvance(lines[widest]));
        // A chart beside the list shares the room the window gains.
        const QWidget *chart =
            panel->findChild<QWidget *>(QStringLiteral("chtReport_%1").arg(form.report.panel));
        const auto across = [&] { return list->width() + (chart ? chart->width() : 0); };
        const int width = across(), height = list->height();
        form.resize(form.width() + 200, form.height() + 100);
        QTRY_COMPARE(across(), width + 200);
        QVERIFY(list->height() > height);
    }

    void labelFormatPrintsForTheDealership() {
        frmRpt form(5);
        form.optPrtBy[1]->setChecked(true);
        form.optPrtFmt[1]->click();
        QVERIFY(form.optPrtBy[0]->isChecked());
        QVERIFY(!form.optPrtBy[1]->isEnabled());
        form.optPrtFmt[0]->click();
        QVERIFY(form.optPrtBy[1]->isEnabled());
    }

    void acceptShowsTheBuiltReport() {
        frmRpt form(3);
        form.optPrtBy[1]->setChecked(true);
        form.cmdCndOK_Click();
        QVERIFY(!form.pbxReport[0]->isVisibleTo(&form));
        QVERIFY(form.pbxReport[3]->isVisibleTo(&form));
        QStringList lines;
        const QAbstractItemModel *shown = form.reportList[2]->model();
        for (int row = 0; row < shown->rowCount(); ++row)
            lines << shown->index(row, 0).data().toString();
        // Two groups with sub totals and the empty line between.
        QCOMPARE(lines, goldenLines("forms/gross-by-salesperson.txt"));
        QCOMPARE(form.lblGSRTtl->text(), QStringLiteral("  1000.00    600.00   1600.00"));
        QCOMPARE(form.cboSM->count(), 3); // ALL and the two keys
        QCOMPARE(form.findChild<QLabel *>("lblGSDT_0")->text(), QStringLiteral("01/01/1900"));
    }

    // Export... writes the file the dialog names in the format of its ending: the spreadsheet
    // has a row a deal, though the list on screen has none. A letters window exports only the
    // letter, as a PDF.
    void exportFromThePanel_data() {
        QTest::addColumn<int>("report");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("offered"); // the dialog's "PDF only|suggested name"
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("written"); // the golden file it holds; empty: none written
        const auto row = [](const char *name, int report, const char *button, const char *offered,
                            const char *file, const char *written) {
            QTest::newRow(name) << report << QString(button) << QString(offered) << QString(file)
                                << QString(written);
        };
        row("commission", 4, "cmdExport_3", "0|CommRpt.pdf", "comm.csv", "export-commission.csv");
        row("gross sales", 3, "cmdExport_2", "0|GSRpt.pdf", "gross.csv", "export-gross.csv");
        row("letters", 6, "cmdExport_5", "1|Letter.pdf", "letter.pdf", "");
    }
    void exportFromThePanel() {
        QFETCH(int, report);
        QFETCH(QString, button);
        QFETCH(QString, offered);
        QFETCH(QString, file);
        QFETCH(QString, written);
        frmRpt form(report);
        form.cmdCndOK_Click();
        const QString path = fx->dir.filePath(file);
        fx->prompter.chooseExport(Prompter::ExportChoice{path, false});
        auto *exportButton = form.findChild<QPushButton *>(button);
        QCOMPARE(exportButton->text(), QStringLiteral("E&xport…"));
        exportButton->click();
        QFile out(path);
        QCOMPARE(out.open(QIODevice::ReadOnly) ? out.readAll() : QByteArray("(none)"),
                 written.isEmpty()
                     ? QByteArray("(none)")
                     : (goldenLines("forms/" + written).join("\r\n") + "\r\n").toUtf8());
        QCOMPARE(fx->shown(),
                 (QStringList{offered.section('|', 0, 0) + "||" +
                                  fx->dir.filePath(offered.section('|', 1)),
                              written.isEmpty() ? "16|REPORT - EXPORT CMD|Nothing was exported: no "
                                                  "letter is written yet."
                                                : "64||REPORT EXPORTED TO " + path}));
    }

    // Each letters window writes the letter it was opened for, whatever others are open.
    void lettersWindowsKeepTheirLetter() {
        for (const auto &[name, text] : {std::pair{"Letter1.TXT", "Thank you for your new *V"},
                                         std::pair{"Letter3.TXT", "Time for service"}}) {
            QFile letter(name);
            QVERIFY(letter.open(QIODevice::WriteOnly));
            letter.write(QByteArray(text) + "\r\n*E\r\n");
        }
        frmRpt thanks(6, 0), service(6, 2);
        QCOMPARE(service.windowTitle(), QStringLiteral("REPORT - SERVICE FOLLOW UP"));
        for (frmRpt *form : {&thanks, &service}) {
            form->cmdCndOK_Click();
            QCOMPARE(form->lstLTR->model()->rowCount(), 2);
            form->lstLTR->setCurrentIndex(form->lstLTR->model()->index(0, 0));
            form->cmdLtrOK_Click();
        }
        QVERIFY(thanks.txtLTR->toPlainText().endsWith("Thank you for your new    \n"));
        QVERIFY(service.txtLTR->toPlainText().endsWith("            Time for service\n"));
    }

    void modelThatMatchesNothingSaysSo() {
        frmRpt form(10);
        form.txtModel->setText("NOSUCH");
        form.cmdCndOK_Click();
        QCOMPARE(fx->shown(),
                 QStringList{"64||NO DEALS FOR MODEL \"NOSUCH\" FROM 01/01/1900 TO 12/06/2026"});
    }
};

REGISTER_TEST(ReportScreenTest);
#include "tst_reportscreen.moc"
