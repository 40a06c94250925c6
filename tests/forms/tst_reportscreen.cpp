#include "TestRegistry.h"

#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/ScriptedPrompter.h"
#include "cli/ReportCommand.h"
#include "domain/reports/ReportSelection.h"
#include "fixtures/StoreFixture.h"
#include "forms/frmRpt.h"
#include "store/DealSchema.h"
#include "store/Recordset.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStringListModel>
#include <QTemporaryDir>

// The report screen: the conditions each report offers, the date boxes, and a build shown.
class ReportScreenTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString previous;

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
        previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        createDealDatabase("ZELDB.mdb");
        auto db = Database::open("ZELDB.mdb");
        auto rs = db->openRecordset("ZEL");
        addDeal(*rs, "SMITH", "A1", QDate(2024, 3, 1), "JONES");
        addDeal(*rs, "BROWN", "A2", QDate(2024, 3, 2), "ADAMS/JONES");
        Clock::setToday(QDate(2026, 12, 6));
        AppSettings &s = appSettings();
        s = AppSettings();
        s.DatabasePath = ".\\ZELDB.mdb";
        s.TodayText = "12/06/2026";
        s.DealerName = "ACE MOTORS";
    }
    void cleanup() {
        Clock::setToday({});
        QDir::setCurrent(previous);
        QFile::remove(dir.filePath("ZELDB.mdb"));
    }

    // The screen offers a report exactly the conditions the command line accepts for it.
    void conditionsOfEachReport_data() {
        QTest::addColumn<int>("report");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("offered"); // besides the dates, "All" and "Dealership"
        QTest::newRow("F&I log") << 1 << "REPORT - F&I LOG" << QStringList{"optVeh_0", "fraFIMgr"};
        QTest::newRow("summary") << 2 << "REPORT - SUMMARY ANALYSIS" << QStringList{"optPrtBy_1"};
        QTest::newRow("gross sales")
            << 3 << "REPORT - GROSS SALES" << QStringList{"optVeh_0", "optPrtBy_1"};
        QTest::newRow("commission")
            << 4 << "REPORT - COMMISSION REPORT" << QStringList{"optPrtBy_2"};
        QTest::newRow("names") << 5 << "REPORT - CUSTOMER FILE"
                               << QStringList{"optVeh_0", "optPrtBy_1", "fraPrtTo"};
        QTest::newRow("letters") << 6 << "REPORT - DEALERSHIP THANK YOU"
                                 << QStringList{"optVeh_0", "optPrtBy_1", "letter"};
        QTest::newRow("anniversary") << 7 << "REPORT - PURCHASE ANNIVERSARY"
                                     << QStringList{"optVeh_0", "optPrtBy_1", "chkAnnvYr"};
        QTest::newRow("birthday") << 8 << "REPORT - BIRTH DATE"
                                  << QStringList{"optVeh_0", "optPrtBy_1"};
        QTest::newRow("service") << 9 << "REPORT - SERVICE CONTRACT FOLLOW UP"
                                 << QStringList{"optVeh_0", "optPrtBy_1"};
        QTest::newRow("model") << 10 << "REPORT - MODEL"
                               << QStringList{"optVeh_0", "optPrtBy_1", "fraModel"};
    }
    void conditionsOfEachReport() {
        QFETCH(int, report);
        QFETCH(QString, caption);
        QFETCH(QStringList, offered);
        frmRpt form(report);
        QCOMPARE(form.windowTitle(), caption);
        QCOMPARE(form.txtBDT->text(), QStringLiteral("01/01/1900"));
        QCOMPARE(form.txtEDT->text(), QStringLiteral("12/06/2026"));
        // Each condition by its control on the screen and its option on the command line.
        const QList<std::pair<const char *, QStringList>> conditions = {
            {"optVeh_0", {"--vehicle", "new"}},  {"optPrtBy_1", {"--by", "salesperson"}},
            {"optPrtBy_2", {"--by", "asm"}},     {"fraFIMgr", {"--fi-mgr", "JD"}},
            {"fraModel", {"--model", "F150"}},   {"chkAnnvYr", {"--include-year"}},
            {"fraPrtTo", {"--format", "label"}}, {"letter", {"--letter", "1"}}};
        for (const auto &[name, arguments] : conditions) {
            QWidget *w = form.findChild<QWidget *>(name);
            const bool shown = w != nullptr && w->isVisibleTo(&form) && w->isEnabled();
            QCOMPARE(shown || (QLatin1String(name) == "letter" && report == 6),
                     offered.contains(name));
            QCommandLineParser p;
            p.addOptions({{"from", "", "d"},
                          {"to", "", "d"},
                          {"vehicle", "", "v"},
                          {"by", "", "b"},
                          {"fi-mgr", "", "f"},
                          {"model", "", "m"},
                          {"include-year", ""},
                          {"format", "", "f"},
                          {"letter", "", "n"}});
            QVERIFY(p.parse(QStringList{"volmera"} + arguments));
            ReportConditions c;
            c.report = report;
            QCOMPARE(readReportConditions(p, c).isEmpty(), offered.contains(name));
        }
    }

    void dateBoxes_data() {
        QTest::addColumn<int>("report");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("left");
        QTest::addColumn<int>("boxes");
        QTest::newRow("completed") << 3 << "3/5/04"
                                   << "03/05/2004" << 0;
        QTest::newRow("emptied gets its default") << 3 << ""
                                                  << "01/01/1900" << 0;
        QTest::newRow("rejected stays empty") << 3 << "13/45/2004"
                                              << "" << 1;
        QTest::newRow("anniversary completes it too") << 7 << "3/5"
                                                      << "03/05/2026" << 0;
    }

    void dateBoxes() {
        QFETCH(int, report);
        QFETCH(QString, typed);
        QFETCH(QString, left);
        QFETCH(int, boxes);
        ScriptedPrompter prompter;
        PrompterScope scope(&prompter);
        frmRpt form(report);
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.txtBDT->setFocus();
        form.txtBDT->setCursorPosition(0);
        // The first key at the start of the box replaces the whole date.
        QTest::keyClicks(form.txtBDT, typed.isEmpty() ? QStringLiteral("x") : typed);
        if (typed.isEmpty())
            form.txtBDT->clear();
        QCOMPARE(form.txtBDT->text(), typed);
        form.txtEDT->setFocus();
        QCOMPARE(form.txtBDT->text(), left);
        QCOMPARE(prompter.shown.size(), boxes);
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
        const QStringList lines =
            qobject_cast<QStringListModel *>(form.reportList[2]->model())->stringList();
        QCOMPARE(lines.size(), 7); // two groups with sub totals and the empty line between
        QCOMPARE(lines[0], QStringLiteral("ADAMS (Salesman)"));
        QCOMPARE(form.lblGSRTtl->text(), QStringLiteral("  1000.00    600.00   1600.00"));
        QCOMPARE(form.cboSM->count(), 3); // ALL and the two keys
        QCOMPARE(form.findChild<QLabel *>("lblGSDT_0")->text(), QStringLiteral("01/01/1900"));
    }

    void letterComposedFromTheDealItself() {
        QFile letter("Letter1.TXT");
        QVERIFY(letter.open(QIODevice::WriteOnly));
        letter.write("Thank you for your new *V\r\n*E\r\n");
        letter.close();
        frmRpt form(6, 0);
        form.cmdCndOK_Click();
        QCOMPARE(form.lstLTR->model()->rowCount(), 2);
        form.lstLTR->setCurrentIndex(form.lstLTR->model()->index(0, 0));
        form.cmdLtrOK_Click();
        // The address holds "/", yet the city and state come out right.
        QVERIFY(form.txtLTR->toPlainText().contains("            12/B Main St"));
        QVERIFY(form.txtLTR->toPlainText().contains("            Salem, OR 97301"));
        QFile::remove("Letter1.TXT");
    }
};

REGISTER_TEST(ReportScreenTest);
#include "tst_reportscreen.moc"
