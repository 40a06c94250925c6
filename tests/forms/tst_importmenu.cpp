#include "TestRegistry.h"
#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/PathMapping.h"
#include "base/ScriptedPrompter.h"
#include "fixtures/ExportFiles.h"
#include "fixtures/FormFixture.h"
#include "fixtures/StoreFixture.h"
#include "forms/EntryBox.h"
#include "forms/NavigationBar.h"
#include "forms/frmZEL.h"
#include "store/UseLock.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

// The entry screen's "Import ZEL" and "Rebuild/Purge ZEL": what they ask, show and leave.
class ImportMenuTest : public QObject {
    Q_OBJECT
    std::unique_ptr<FormFixture> fx;
    ScriptedPrompter *prompter = nullptr;
    std::unique_ptr<frmZEL> form;

    int deals() {
        auto db = Database::open("ZELDB.mdb");
        return db->openRecordset(DealSchema::Table)->recordCount();
    }

    QStringList shown() { return fx->shown(); }

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
        prompter = &fx->prompter;
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
        QCOMPARE(shown(), QStringList{"0||NO IMPORT FILE FOUND"});
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
        prompter->answer(Answer::No);
        form->mnuImportZEL->trigger();
        QCOMPARE(shown(), QStringList{"4||ARE YOU SURE YOU WANT TO IMPORT!"});
        QCOMPARE(deals(), 2);
        QVERIFY(form->fraPrgBox->isHidden());
        QCOMPARE(form->fraPrgBox->title(), QString("IMPORTING FILE"));
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
        QCOMPARE(shown(), (QStringList{"4||ARE YOU SURE YOU WANT TO IMPORT!",
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
        QCOMPARE(shown().value(1),
                 "16|IMPORT ZEL|1 deal(s) of INV.PST were not imported:\n"
                 "line 2, stock P2: The text is too long for field ByLName (at most 15 "
                 "characters): the deal was not stored.\n1 deal(s) were imported.\n"
                 "The file INV.PST was left in place, so that no deal in it is lost.\n"
                 "Deals imported: 1, already there: 0, refused: 1.");
        QCOMPARE(deals(), 3);
        QVERIFY(QFile::exists("drive/FI/INV.PST"));
    }

    void purge_data() {
        QTest::addColumn<QString>("typed"); // "<cancel>" for Cancel
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<int>("left");
        QTest::addColumn<QList<int>>("answers"); // delete (Yes) or blank (No), then confirm
        QTest::addColumn<QString>("first");      // the last name shown afterwards
        const QString choice = "35|PURGE & REBUILDING FILE|DELETE THE DEALS SOLD BEFORE "
                               "01/01/1980?\n\nYes: delete them, then rebuild the file.\nNo: "
                               "keep them, their amounts and vehicles, and blank only their "
                               "customers' names, addresses, phones and birth dates.";
        const QString ask = "input|PURGE & REBUILDING FILE|"
                            "This function is used to clean up the data files in\r"
                            "case the files have been corrupted, and to remove\r"
                            "all records that have been deleted plus records\r"
                            "older than the date entered. The data files will be\r"
                            "copied to a backup directory before anything is\r"
                            "done. Make sure no one else is running the program.\r"
                            "DELETE ALL RECORDS OLDER THAN";
        const QString confirm = "308|PURGE & REBUILDING FILE|BLANK THE CUSTOMERS OF EVERY DEAL "
                                "SOLD BEFORE 01/01/1980?\n\nTheir names, addresses, phones and "
                                "birth dates are removed for good; the deals and their amounts "
                                "stay.";
        const QList<int> none;
        QTest::newRow("cancel") << "<cancel>" << QStringList{ask} << 2 << none << "MIDDLE";
        QTest::newRow("erased answer") << "" << QStringList{ask} << 2 << none << "MIDDLE";
        QTest::newRow("not a date") << "1980"
                                    << QStringList{ask, "16|PURGE & REBUILDING FILE|"
                                                        "\"1980\" IS NOT A DATE "
                                                        "(MM/DD/YYYY).\nNOTHING WAS "
                                                        "PURGED OR CHANGED."}
                                    << 2 << none << "MIDDLE";
        QTest::newRow("default") << "01/01/1980"
                                 << QStringList{ask, choice,
                                                "64|PURGE & REBUILDING FILE|PURGE & REBUILD "
                                                "DONE.\nDeals purged: 1, kept: 1.\nThe "
                                                "database as it was before is kept in "
                                                "Backup/ZELDB-2024-03-05.mdb."}
                                 << 1 << QList<int>{Answer::Yes} << "MIDDLE";
        QTest::newRow("choice cancelled") << "01/01/1980" << QStringList{ask, choice} << 2
                                          << QList<int>{Answer::Cancel} << "MIDDLE";
        QTest::newRow("blanking not confirmed")
            << "01/01/1980" << QStringList{ask, choice, confirm} << 2
            << QList<int>{Answer::No, Answer::No} << "MIDDLE";
        QTest::newRow("blank")
            << "01/01/1980"
            << QStringList{ask, choice, confirm,
                           "64|PURGE & REBUILDING FILE|BLANKING DONE.\nThe personal data of 1 "
                           "deal(s) sold before 01/01/1980 was blanked."}
            << 2 << QList<int>{Answer::No, Answer::Yes} << " ";
    }
    void purge() {
        QFETCH(QString, typed);
        QFETCH(QStringList, boxes);
        QFETCH(int, left);
        QFETCH(QList<int>, answers);
        QFETCH(QString, first);
        openScreen();
        QCOMPARE(form->txtZEL[1]->text(), QString("MIDDLE"));
        prompter->type(typed == "<cancel>" ? std::nullopt : std::optional<QString>(typed));
        for (const int answer : answers)
            prompter->answer(answer);
        form->mnuRebuild->trigger();
        QCOMPARE(prompter->shown.value(0).defaultText, QString("01/01/1980"));
        QCOMPARE(shown(), boxes);
        QCOMPARE(deals(), left);
        QCOMPARE(QFile::exists("Backup"), left < 2);
        QCOMPARE(QFile::exists("ZEL_OLD.mdb"), left < 2);
        // Bound again, on the first deal.
        QCOMPARE(form->binding().recordset().recordCount(), left);
        QCOMPARE(form->txtZEL[1]->text(), first);
        QCOMPARE(form->cursor().shape(), Qt::ArrowCursor);
    }

    void purgeRefusedWhileTheDatabaseIsInUse() {
        openScreen();
        // Another workstation's entry screen has the database.
        const auto other = DatabaseUse::take("ZELDB.mdb", DatabaseUse::Mode::Shared, 0);
        prompter->type(QString("01/01/1980"));
        prompter->answer(Answer::Yes);
        prompter->answer(Answer::Cancel);
        form->mnuRebuild->trigger();
        QCOMPARE(shown().mid(2),
                 (QStringList{"5||THE DATABASE IS OPEN ON ANOTHER WORKSTATION (or in another copy "
                              "of the program).\nClose the program there, then purge again. "
                              "Nothing was changed.",
                              "48|PURGE & REBUILDING FILE|PURGE & REBUILD STOPPED. NOTHING WAS "
                              "PURGED."}));
        QCOMPARE(deals(), 2);
        QVERIFY(!QFile::exists("Backup"));
        QCOMPARE(form->binding().recordset().recordCount(), 2);
        QCOMPARE(form->txtZEL[1]->text(), QString("MIDDLE"));
    }
};

REGISTER_TEST(ImportMenuTest);
#include "tst_importmenu.moc"
