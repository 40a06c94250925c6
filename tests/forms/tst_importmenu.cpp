#include "TestRegistry.h"
#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/PathMapping.h"
#include "base/ScriptedPrompter.h"
#include "fixtures/ExportFiles.h"
#include "fixtures/FormFixture.h"
#include "fixtures/Golden.h"
#include "fixtures/StoreFixture.h"
#include "forms/EntryBox.h"
#include "forms/NavigationBar.h"
#include "forms/frmZEL.h"
#include "store/UseLock.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

// The entry screen's "Import ZEL" and "Rebuild/Purge ZEL": what they ask, show and leave.
class ImportMenuTest : public QObject {
    Q_OBJECT
    std::unique_ptr<FormFixture> fx;
    std::unique_ptr<frmZEL> form;

    int deals() {
        auto db = Database::open("ZELDB.mdb");
        return db->openRecordset(DealSchema::Table)->recordCount();
    }

    void openScreen() {
        form = std::make_unique<frmZEL>();
        form->show();
    }

    void writeExport(const QString &name, const QByteArray &bytes) {
        QDir().mkpath("drive/FI");
        ExportFiles::write("drive/FI/" + name, bytes);
    }

private Q_SLOTS:
    void init() {
        fx = std::make_unique<FormFixture>();
        PathMapping::setDriveRoot(fx->dir.filePath("drive"));
        appSettings().DatabasePath = ".\\ZELDB.mdb";
        createDealDatabase("ZELDB.mdb");
        {
            auto db = Database::open("ZELDB.mdb");
            auto rs = db->openRecordset(DealSchema::Table);
            StoreFixture::addDeal(*rs, "OLDEST", "O1", {{"DateSold", QDate(1979, 5, 1)}});
            StoreFixture::addDeal(*rs, "MIDDLE", "M1",
                                  {{"DateSold", QDate(2020, 5, 1)}, {"FinRes", "831.56"}});
        }
        Clock::setToday(QDate(2024, 3, 5));
    }
    void cleanup() {
        form.reset();
        fx.reset();
        PathMapping::setDriveRoot("/");
    }

    void noExportFileRestoresAddMode() {
        openScreen();
        form->cmdAdd->click();
        form->txtZEL[1]->setText("TYPED");
        form->mnuImportZEL->trigger();
        QCOMPARE(fx->shown(), QStringList{"0||NO IMPORT FILE FOUND"});
        QVERIFY(appSettings().AddMode);
        QCOMPARE(form->dtaZEL->caption(), QString("Add Mode"));
        QVERIFY(form->cmdSave->isEnabled() && !form->cmdAdd->isEnabled());
        QVERIFY(!form->mnuAddRec->isEnabled());
        QCOMPARE(form->txtZEL[1]->text(), QString("TYPED"));
        QVERIFY(!appSettings().ImportBusy);
    }

    void importAsksShowsProgressAndShowsTheFirstDeal() {
        using namespace ExportFiles;
        QByteArray bytes = header();
        for (int i = 0; i < 300; ++i)
            bytes += deal("20240102", "NEW" + QByteArray::number(i), "N" + QByteArray::number(i));
        // Its own figures only: every amount blank but one reserve.
        QMap<int, QByteArray> own{{32, "3548.19"}};
        for (int field = 27; field <= 37; ++field)
            own.insert(field, field == 32 ? "3548.19" : "");
        bytes += deal("20240103", "AARON", "A1", own);
        writeExport("ZEL_DB.DBF", bytes);
        writeExport("INV.PST", line("01/01/2024", "OTHER", "P1")); // not taken: form 1 is there
        openScreen();
        form->cmdAdd->click();
        fx->prompter.answer(Answer::No);
        form->mnuImportZEL->trigger();
        QCOMPARE(fx->shown(), QStringList{"4||ARE YOU SURE YOU WANT TO IMPORT!"});
        QCOMPARE(deals(), 2);
        QVERIFY(form->fraPrgBox->isHidden());
        // Add mode was left for the import and is not taken up again.
        QVERIFY(!appSettings().AddMode);
        QCOMPARE(form->dtaZEL->caption(), QString("  RECORD"));

        QList<int> values;
        bool visible = true;
        connect(form->PrgBox, &QProgressBar::valueChanged, this, [&](int value) {
            values << value;
            if (value > 0) // set back to 0 once hidden
                visible = visible && form->fraPrgBox->isVisible();
        });
        form->mnuImportZEL->trigger();
        QCOMPARE(fx->shown(),
                 (QStringList{"4||ARE YOU SURE YOU WANT TO IMPORT!",
                              "64|IMPORT ZEL|IMPORT OF ZEL_DB.DBF DONE.\nDeals imported: "
                              "301, already there: 0, refused: 0."}));
        QCOMPARE(deals(), 303);
        QVERIFY(values.size() > 100);
        QCOMPARE(form->PrgBox->maximum(), 302);
        QVERIFY(values.contains(302));
        QVERIFY(visible);
        QVERIFY(form->fraPrgBox->isHidden());
        QCOMPARE(form->PrgBox->value(), 0);
        QCOMPARE(form->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(form->txtZEL[1]->text(), QString("AARON          ")); // the first deal
        QCOMPARE(form->lblTtlFIRes->text(), QString("3548.19"));
        QVERIFY(QFile::exists("drive/FI/INV.PST"));
        QVERIFY(!appSettings().ImportBusy);
    }

    void refusedDealsAreListedAndTheFileKept() {
        using ExportFiles::line;
        writeExport("INV.PST", line("01/01/2024", "FINE", "P1") +
                                   line("01/02/2024", "A NAME FAR TOO LONG", "P2"));
        openScreen();
        form->mnuImportZEL->trigger();
        QCOMPARE(fx->shown().value(1),
                 "16|IMPORT ZEL|" + goldenLines("forms/import-refused.txt").join('\n'));
        QCOMPARE(deals(), 3);
        QVERIFY(QFile::exists("drive/FI/INV.PST"));
    }

    // What the menu item asks, shows and leaves, down every way out; the texts are in
    // tests/golden/forms/purge-*.txt.
    void purge_data() {
        QTest::addColumn<QString>("typed");      // "<cancel>" for Cancel
        QTest::addColumn<bool>("inUse");         // another workstation has the database open
        QTest::addColumn<QList<int>>("answers"); // delete (Yes) or blank (No), then confirm
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<int>("left");
        QTest::addColumn<QString>("first"); // the last name shown afterwards
        const auto text = [](const QString &name) {
            return goldenLines("forms/purge-" + name + ".txt").join('\n');
        };
        const QString title = "|PURGE & REBUILDING FILE|";
        const QString ask = "input" + title + goldenLines("forms/purge-ask.txt").join('\r'),
                      choice = "35" + title + text("choice"),
                      confirm = "308" + title + text("confirm");
        const QList<int> none;
        QTest::newRow("cancel") << "<cancel>" << false << none << QStringList{ask} << 2 << "MIDDLE";
        QTest::newRow("erased answer") << "" << false << none << QStringList{ask} << 2 << "MIDDLE";
        QTest::newRow("not a date")
            << "1980" << false << none << QStringList{ask, "16" + title + text("not-a-date")} << 2
            << "MIDDLE";
        QTest::newRow("default") << "01/01/1980" << false << QList<int>{Answer::Yes}
                                 << QStringList{ask, choice, "64" + title + text("done")} << 1
                                 << "MIDDLE";
        QTest::newRow("choice cancelled") << "01/01/1980" << false << QList<int>{Answer::Cancel}
                                          << QStringList{ask, choice} << 2 << "MIDDLE";
        QTest::newRow("blanking not confirmed")
            << "01/01/1980" << false << QList<int>{Answer::No, Answer::No}
            << QStringList{ask, choice, confirm} << 2 << "MIDDLE";
        QTest::newRow("blank") << "01/01/1980" << false << QList<int>{Answer::No, Answer::Yes}
                               << QStringList{ask, choice, confirm, "64" + title + text("blanked")}
                               << 2 << " ";
        QTest::newRow("database in use")
            << "01/01/1980" << true << QList<int>{Answer::Yes, Answer::Cancel}
            << QStringList{ask, choice, "5||" + text("in-use"),
                           "48" + title + "PURGE & REBUILD STOPPED. NOTHING WAS PURGED."}
            << 2 << "MIDDLE";
    }
    void purge() {
        QFETCH(QString, typed);
        QFETCH(bool, inUse);
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, boxes);
        QFETCH(int, left);
        QFETCH(QString, first);
        openScreen();
        const auto other =
            inUse ? DatabaseUse::take("ZELDB.mdb", DatabaseUse::Mode::Shared, 0) : nullptr;
        QCOMPARE(form->txtZEL[1]->text(), QString("MIDDLE"));
        fx->prompter.type(typed == "<cancel>" ? std::nullopt : std::optional<QString>(typed));
        for (const int answer : answers)
            fx->prompter.answer(answer);
        form->mnuRebuild->trigger();
        QCOMPARE(fx->prompter.shown.value(0).defaultText, QString("01/01/1980"));
        QCOMPARE(fx->shown(), boxes);
        QCOMPARE(deals(), left);
        QCOMPARE(QFile::exists("Backup"), left < 2);
        QCOMPARE(QFile::exists("ZEL_OLD.mdb"), left < 2);
        // Bound again, on the first deal.
        QCOMPARE(form->binding().recordset().recordCount(), left);
        QCOMPARE(form->txtZEL[1]->text(), first);
        QCOMPARE(form->cursor().shape(), Qt::ArrowCursor);
    }
};

REGISTER_TEST(ImportMenuTest);
#include "tst_importmenu.moc"
