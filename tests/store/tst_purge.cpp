#include "TestRegistry.h"
#include "fixtures/StoreFixture.h"

#include "base/Clock.h"
#include "domain/entry/DealBinding.h"
#include "store/Audit.h"
#include "store/Backups.h"
#include "store/OfficePassword.h"
#include "store/Purge.h"
#include "store/UseLock.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <thread>

using namespace DealPurge;

namespace {
QStringList stocks(const DatabaseAddress &database) {
    auto db = Database::open(database);
    Statement s(*db, QStringLiteral("SELECT \"StkNbr\" FROM \"ZEL\" ORDER BY \"StkNbr\""));
    QStringList out;
    while (s.step())
        out << s.value(0).toString();
    return out;
}

// The program run on a data folder: what it wrote, and its exit status.
struct Run {
    QString out, err;
    int status;
};
Run run(const QStringList &arguments, const QString &dataDir) {
    QProcess p;
    p.start(QStringLiteral(VOLMERA_BIN), arguments + QStringList{"--data-dir", dataDir});
    p.waitForFinished(60000);
    return {QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError()), p.exitCode()};
}
} // namespace

// Purge and rebuild: which deals go, the three copies it leaves, failures, and other copies of
// the program.
class PurgeTest : public QObject {
    Q_OBJECT

    std::unique_ptr<StoreFixture> fixture;
    Files files;

    void addDeals(const QList<std::pair<QString, QVariant>> &deals) {
        auto db = Database::open(fixture->address);
        auto rs = db->openRecordset(DealSchema::Table);
        for (const auto &[stock, sold] : deals)
            StoreFixture::addDeal(*rs, "BUYER", stock, {{"DateSold", sold}});
    }

    Outcome purgeBefore(const QString &cutoff, const OnFailure &onFailure = {}) {
        return fixture->onServer() ? purge(fixture->address, files, *readCutoff(cutoff), onFailure)
                                   : purge(files, *readCutoff(cutoff), onFailure);
    }

    // A fresh database, the files around it, and four deals: A sold on the last day of 1979, B on
    // the first of 1980, C without a date, D in 2024.
    void start(bool server) {
        fixture = std::make_unique<StoreFixture>(server);
        fixture->fresh();
        const QDir dir(fixture->dir.path());
        files = {fixture->path, dir.filePath("Backup"), dir.filePath("Backup/ZELDB-2026-06-15.mdb"),
                 dir.filePath("ZEL_OLD.mdb")};
        addDeals({{"A", QDate(1979, 12, 31)},
                  {"B", QDate(1980, 1, 1)},
                  {"C", QVariant()},
                  {"D", QDate(2024, 6, 30)}});
    }

    // The same on the server when the row asks for it; false when there is no test server.
    bool startOnTheRowsEngine() {
        QFETCH(bool, server);
        if (server && TestServer::available())
            start(true);
        return !server || TestServer::available();
    }

private Q_SLOTS:
    void init() {
        // Two-digit years 46 to 99 are 1946 to 1999, 00 to 45 are 2000 to 2045.
        Clock::setToday(QDate(2026, 6, 15));
        start(false);
    }
    void cleanup() {
        fixture.reset();
        Clock::setToday(QDate());
    }

    void cutoffs_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("date"); // invalid: not a date
        QTest::newRow("default") << DefaultCutoff << QDate(1980, 1, 1);
        QTest::newRow("short") << "1/2/05" << QDate(2005, 1, 2);
        QTest::newRow("two-digit 98") << "12/31/98" << QDate(1998, 12, 31);
        QTest::newRow("two-digit 45, the window's last") << "12/31/45" << QDate(2045, 12, 31);
        QTest::newRow("two-digit 46, the window's first") << "1/1/46" << QDate(1946, 1, 1);
        QTest::newRow("blanks around") << " 06/30/2024 " << QDate(2024, 6, 30);
        QTest::newRow("no such day") << "02/30/2024" << QDate();
        QTest::newRow("day first") << "31/12/2024" << QDate();
        QTest::newRow("no year") << "01/01" << QDate();
        QTest::newRow("three-digit year") << "1/1/198" << QDate();
        QTest::newRow("iso") << "2024-01-01" << QDate();
    }
    void cutoffs() {
        QFETCH(QString, typed);
        QFETCH(QDate, date);
        QCOMPARE(readCutoff(typed).value_or(QDate()), date);
    }

    // The deals sold before the cutoff go, and those without a date. The purged database keeps
    // the record of the deals it removed, and still refuses any change to that record.
    void dealsBeforeTheCutoffGo_data() {
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("cutoff");
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<QString>("change"); // to the record of changes
        for (const bool server : {false, true}) {
            const auto row = [server](const char *name, const QString &cutoff,
                                      const QStringList &kept, const char *change) {
                QTest::addRow("%s: %s", server ? "server" : "file", name)
                    << server << cutoff << kept << QString(change);
            };
            row("default", DefaultCutoff, {"B", "D"},
                "UPDATE \"ZELAudit\" SET \"NewValue\" = 'x' WHERE \"StkNbr\" = 'A'");
            row("cutoff day kept", "06/30/2024", {"D"},
                "DELETE FROM \"ZELAudit\" WHERE \"StkNbr\" = 'A'");
            row("day after", "07/01/2024", {}, "DELETE FROM \"ZELAudit\"");
            if (server)
                row("default, record truncated", DefaultCutoff, {"B", "D"},
                    "TRUNCATE \"ZELAudit\"");
        }
    }
    void dealsBeforeTheCutoffGo() {
        QFETCH(QString, cutoff);
        QFETCH(QStringList, kept);
        QFETCH(QString, change);
        if (!startOnTheRowsEngine())
            QSKIP(TestServer::skipReason());
        Audit::Writer(*Database::open(fixture->address))
            .write(Audit::Action::Edit, "A", "Term", "36", "48");
        const Outcome out = purgeBefore(cutoff);
        QVERIFY2(out.completed, qPrintable(out.failure));
        QCOMPARE(out.kept, kept.size());
        QCOMPARE(out.deleted, 4 - kept.size());
        QCOMPARE(stocks(fixture->address), kept);
        if (!fixture->onServer())
            QCOMPARE(stocks(files.old), kept); // before compaction
        QCOMPARE(out.backup, files.backup);
        QCOMPARE(stocks(files.backup), (QStringList{"A", "B", "C", "D"})); // before deletion
        QVERIFY(out.repair.isEmpty());
        QVERIFY(!QFile::exists(files.database + "-new"));
        QStringList expected{"Edit|A|Term|36|48"}, history;
        for (const QString stock : {"A", "B", "C", "D"})
            if (!kept.contains(stock))
                expected << "Purge|" + stock + "|||";
        expected << QString("Purge||||sold before %1: %2 removed, %3 kept")
                        .arg(cutoff)
                        .arg(out.deleted)
                        .arg(out.kept);
        auto db = Database::open(fixture->address);
        for (const Audit::Entry &e : Audit::history(*db))
            history << QStringList{e.action, e.stock, e.field, e.oldValue.value_or("~"),
                                   e.newValue.value_or("~")}
                           .join('|');
        QCOMPARE(history, expected);
        try {
            db->exec(change);
            QFAIL("the record of changes was changed");
        } catch (const StoreError &e) {
            QCOMPARE(e.description(), QString("The rows of ZELAudit are a permanent record: "
                                              "they cannot be changed or deleted."));
        }
        QCOMPARE(Audit::history(*db).size(), expected.size());
    }

    void secondRunKeepsTheFirstBackup() {
        QVERIFY(purgeBefore(DefaultCutoff).completed);
        addDeals({{"E", QDate(2023, 5, 1)}});
        const Outcome second = purgeBefore("01/01/2024");
        QVERIFY(second.completed);
        QCOMPARE(second.deleted, 2);
        QCOMPARE(stocks(files.database), QStringList{"D"});
        QCOMPARE(stocks(files.old), QStringList{"D"});
        // The first backup holds deals no other file does.
        QCOMPARE(stocks(files.backup), (QStringList{"A", "B", "C", "D"}));
        QCOMPARE(second.backup, fixture->dir.filePath("Backup/ZELDB-2026-06-15-2.mdb"));
        QCOMPARE(stocks(second.backup), (QStringList{"B", "D", "E"}));
    }

    void damagedDatabaseIsMendedBeforeTheDeletion_data() {
        QTest::addColumn<QString>("object");
        QTest::addColumn<int>("damage");
        QTest::addColumn<int>("leaf");
        QTest::addColumn<bool>("salvaged"); // read into a rebuilt database
        using D = StoreFixture::Damage;
        // Sale dates of 2020 moved to 2920 in the index: the deletion would not find them.
        QTest::newRow("sale date index, dates") << "DateSold" << int(D::Dates) << 0 << false;
        QTest::newRow("sale date index, page") << "DateSold" << int(D::Header) << 1 << true;
        QTest::newRow("table page") << "ZEL" << int(D::Header) << 30 << true;
    }
    void damagedDatabaseIsMendedBeforeTheDeletion() {
        QFETCH(QString, object);
        QFETCH(int, damage);
        QFETCH(int, leaf);
        QFETCH(bool, salvaged);
        // Deals S0000 to S1199 sold from 01/01/2020 on, a day apart, after A to D (rows 1 to 4).
        StoreFixture::addDeals(files.database, 1200, QDate(2020, 1, 1));
        // The office's password (and the record of its setting) must outlive the mending.
        OfficePassword::set(*Database::open(files.database), QStringLiteral("Office-2026"));
        const QList<int> leaves = StoreFixture::leafPages(files.database, object);
        QVERIFY(leaf < leaves.size());
        // The deals sold from the cutoff on stay but for those on a damaged table page, which
        // are listed.
        QStringList kept, lost;
        {
            auto db = Database::open(files.database);
            Statement cells(*db, "SELECT sum(ncell) FILTER (WHERE rank < ?1), "
                                 "sum(ncell) FILTER (WHERE rank = ?1) FROM (SELECT "
                                 "ncell, row_number() OVER (ORDER BY path) - 1 AS rank "
                                 "FROM dbstat WHERE name = 'ZEL' AND pagetype = 'leaf')");
            cells.bind(1, object == "ZEL" ? leaf : -1);
            QVERIFY(cells.step());
            Statement deals(*db, "SELECT StkNbr, ByLName, DateSold, rowid - ?1 BETWEEN 1 "
                                 "AND ?2 FROM ZEL ORDER BY StkNbr");
            deals.bind(1, cells.int64(0));
            deals.bind(2, cells.int64(1));
            while (deals.step()) {
                if (deals.int64(3))
                    lost << QStringLiteral("stock %1, %2, sold %3")
                                .arg(deals.value(0).toString(), deals.value(1).toString(),
                                     deals.value(2).toDate().toString("MM/dd/yyyy"));
                else if (deals.value(2).toDate() >= QDate(2022, 1, 1))
                    kept << deals.value(0).toString();
            }
        }
        QCOMPARE(lost.isEmpty(), object != "ZEL");
        StoreFixture::damagePage(files.database, leaves[leaf], StoreFixture::Damage(damage));
        QFile damaged(files.database);
        QVERIFY(damaged.open(QIODevice::ReadOnly));
        const QByteArray bytes = damaged.readAll();
        const QString problem = Database::open(files.database)->integrityProblems(1).value(0);
        QVERIFY(!problem.isEmpty());

        const Outcome out = purgeBefore("01/01/2022");
        QVERIFY2(out.completed, qPrintable(out.failure));
        QCOMPARE(out.repair,
                 salvaged ? QStringLiteral("The database was damaged (%1) beyond what rebuilding "
                                           "its indexes mends: %2 deal(s) were read into a "
                                           "rebuilt database, and %3 could not be read.")
                                .arg(problem)
                                .arg(1204 - lost.size())
                                .arg(lost.size())
                          : QStringLiteral("The database was damaged (%1); its indexes were "
                                           "rebuilt, and it checks sound now.")
                                .arg(problem));
        QCOMPARE(out.lost, lost);
        QCOMPARE(stocks(files.database), kept);
        QCOMPARE(out.deleted, 1204 - lost.size() - kept.size());
        QCOMPARE(Database::open(files.database)->integrityProblems(), QStringList());
        {
            auto db = Database::open(files.database);
            QVERIFY(OfficePassword::matches(OfficePassword::storedHash(*db).value_or(QString()),
                                            QStringLiteral("Office-2026")));
            Statement set(*db, "SELECT count(*) FROM ZELAudit WHERE Action = 'Password'");
            QVERIFY(set.step());
            QCOMPARE(set.int64(0), 1);
        }
        // The backup is the damaged file as it was.
        QFile backup(out.backup);
        QVERIFY(backup.open(QIODevice::ReadOnly));
        QVERIFY(backup.readAll() == bytes);
    }

    void fileThatIsNoDatabaseIsLeftAlone() {
        QFile file(files.database);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("not a database at all, just some text that is long enough to be read");
        file.close();
        const Outcome out = purgeBefore(DefaultCutoff);
        QVERIFY(!out.completed);
        QCOMPARE(out.failure, QStringLiteral("The file %1 is not a deal database this program can "
                                             "read; it was left as it is.")
                                  .arg(files.database));
        QVERIFY(!QFile::exists(files.backupFolder));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("not a database at all, just some text that is long "
                                            "enough to be read"));
    }

    void failedStepIsRetriedOrLeftUsable_data() {
        QTest::addColumn<bool>("retry");
        QTest::newRow("cancel") << false;
        QTest::newRow("retry") << true;
    }
    void failedStepIsRetriedOrLeftUsable() {
        QFETCH(bool, retry);
        // A folder where the compacted file is to be written stops the compaction.
        const QString obstacle = files.database + "-new";
        QDir().mkpath(obstacle + "/inside");
        QStringList asked;
        const Outcome out = purgeBefore(DefaultCutoff, [&](const QString &description) {
            asked << description;
            if (retry)
                QDir(obstacle).removeRecursively();
            return retry;
        });
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked[0].contains(obstacle), qPrintable(asked[0]));
        QCOMPARE(out.completed, retry);
        QCOMPARE(out.failure.isEmpty(), retry);
        // Either way the live database is whole, with the deletion done, and the backup is there.
        QCOMPARE(stocks(files.database), (QStringList{"B", "D"}));
        QCOMPARE(stocks(out.backup), (QStringList{"A", "B", "C", "D"}));
        QCOMPARE(QFile::exists(files.old), retry);
    }

    void refusedWhileAnotherCopyHasTheDatabase_data() { engineRows(); }
    void refusedWhileAnotherCopyHasTheDatabase() {
        if (!startOnTheRowsEngine())
            QSKIP(TestServer::skipReason());
        QProcess other;
        other.start(QStringLiteral(VOLMERA_BIN), fixture->programArguments());
        QVERIFY(other.waitForStarted());
        // The other copy's entry screen has the database once it cannot be taken alone.
        QElapsedTimer waited;
        waited.start();
        while (DatabaseUse::take(fixture->address, DatabaseUse::Mode::Exclusive, 0) &&
               waited.elapsed() < 30000)
            QThread::msleep(50);
        QStringList asked;
        const Outcome refused = purgeBefore(DefaultCutoff, [&](const QString &description) {
            asked << description;
            return false;
        });
        other.kill();
        other.waitForFinished();
        QVERIFY(!refused.completed);
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked[0].startsWith("THE DATABASE IS OPEN ON ANOTHER WORKSTATION"),
                 qPrintable(asked[0]));
        // Nothing was touched (the other copy may have made its daily backup there).
        QVERIFY(!QFile::exists(files.backup));
        QCOMPARE(stocks(fixture->address).size(), 4);
        // Once that copy has ended, the purge goes ahead.
        QVERIFY(purgeBefore(DefaultCutoff).completed);
    }

    void startingCopyWaitsForThePurge() {
        auto purging = DatabaseUse::take(files.database, DatabaseUse::Mode::Exclusive, 0);
        QVERIFY(purging);
        QVERIFY(!DatabaseUse::take(files.database, DatabaseUse::Mode::Shared, 100));
        std::thread done([&] {
            QThread::msleep(400);
            purging.reset();
        });
        QElapsedTimer waited;
        waited.start();
        DealBinding binding;
        binding.open(files.database);
        done.join();
        QVERIFY(waited.elapsed() >= 300);
        QCOMPARE(binding.recordset().recordCount(), 4);
        // While bound, a purge is refused; released, it is not.
        QVERIFY(!purgeBefore(DefaultCutoff).completed);
        binding.release();
        QVERIFY(purgeBefore(DefaultCutoff).completed);
    }

    // Blanking the customers of old deals leaves every figure as it was and takes them off
    // every list of customers.
    void blankingKeepsTheFigures_data() {
        QTest::addColumn<QStringList>("report");
        QTest::addColumn<bool>("same"); // the same as before, else empty
        QTest::newRow("summary") << QStringList{"summary"} << true;
        QTest::newRow("customer names") << QStringList{"names", "--to", "12/31/2023"} << false;
        QTest::newRow("letters") << QStringList{"letters", "--to", "12/31/2023"} << false;
    }
    void blankingKeepsTheFigures() {
        QFETCH(QStringList, report);
        QFETCH(bool, same);
        const QString dir = fixture->dir.filePath("sample");
        const QStringList asJson = QStringList{"report"} + report + QStringList{"--json"};
        const QStringList blank{"purge", "--anonymize-before", "01/01/2024", "--yes"};
        QCOMPARE(run({"init", "--sample", "300"}, dir).status, 0);
        const QString before = run(asJson, dir).out;
        QVERIFY(before.size() > 100);
        QCOMPARE(run(blank, dir).out, "blanked the personal data of deals sold before 01/01/2024\n"
                                      "deals blanked: 214\n");
        QCOMPARE(run(asJson, dir).out, same ? before : "{\"lines\":[],\"salespeople\":[]}\n");
        // Nothing is left to blank.
        QCOMPARE(run(blank, dir).out, "blanked the personal data of deals sold before 01/01/2024\n"
                                      "deals blanked: 0\n");
    }

    // The day's copy put back holds the same deals and the record of changes, still permanent,
    // and the database it replaced is kept. A copy that is not sound, or a database in use, is
    // never put back.
    void restore_data() {
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("file") << false << ""
                              << "";
        QTest::newRow("server") << true << ""
                                << "";
        QTest::newRow("cut short")
            << false << "cut"
            << "The backup %1 was not restored: The database file %1 is damaged: database disk "
               "image is malformed. The database was left as it is.";
        QTest::newRow("pages overwritten")
            << false << "overwrite"
            << "The backup %1 was not restored: it is damaged (Page 9: btreeInitPage() returns "
               "error code 11). The database was left as it is.";
        QTest::newRow("not a database")
            << false << "text"
            << "The backup %1 was not restored: The file %1 is not a deal database this program "
               "can read; it was left as it is. The database was left as it is.";
        QTest::newRow("database in use")
            << false << "in use"
            << "The deal database is open on another workstation (or in another copy of the "
               "program); nothing was restored. Close the program there, then restore again.";
    }
    void restore() {
        QFETCH(QString, damage);
        QFETCH(QString, refusal);
        if (!startOnTheRowsEngine())
            QSKIP(TestServer::skipReason());
        Audit::Writer(*Database::open(fixture->address))
            .write(Audit::Action::Edit, "A", "Term", "36", "48");
        const QString copy =
            DailyBackup::make(fixture->address, files.backupFolder, QDate(2026, 6, 15));
        QCOMPARE(copy, fixture->dir.filePath("Backup/daily-2026-06-15.mdb"));
        QVERIFY(!DailyBackup::due(files.backupFolder, QDate(2026, 6, 15)));
        QFile f(copy);
        if (damage == "cut") {
            QVERIFY(f.resize(f.size() / 2));
        } else if (damage == "overwrite") {
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(f.size() - 4096 - 200);
            f.write(QByteArray(3000, '\x5a'));
            f.close();
        } else if (damage == "text") {
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("stock numbers\n");
            f.close();
        }
        const auto other = damage == "in use"
                               ? DatabaseUse::take(files.database, DatabaseUse::Mode::Shared, 0)
                               : nullptr;
        addDeals({{"E", QDate(2026, 6, 1)}});
        const QStringList all{"A", "B", "C", "D", "E"};
        try {
            DailyBackup::restore(copy, fixture->address, files.old);
            QVERIFY2(refusal.isEmpty(), "restored");
        } catch (const VolmeraError &e) {
            QCOMPARE(e.description(), QString(refusal).replace("%1", copy));
            QCOMPARE(stocks(fixture->address), all);
            QVERIFY(!QFile::exists(files.old));
            QCOMPARE(DailyBackup::problem(copy).isEmpty(), damage == "in use");
            return;
        }
        QCOMPARE(stocks(fixture->address), all.mid(0, 4));
        QCOMPARE(stocks(files.old), all);
        auto restored = Database::open(fixture->address);
        const QList<Audit::Entry> history = Audit::history(*restored);
        QCOMPARE(history.value(0).newValue, std::optional<QString>("48"));
        if (fixture->onServer())
            QCOMPARE(history.last().newValue, QString("4 deal(s) put back from %1").arg(copy));
        QVERIFY_THROWS_EXCEPTION(StoreError, restored->exec("DELETE FROM \"ZELAudit\""));
    }

    // The newest copy of each of the last 14 days and of each of the last 12 months stay.
    void keptCopies_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("gone");
        QStringList days;
        for (QDate d(2026, 5, 20); d <= QDate(2026, 6, 4); d = d.addDays(1))
            days << DailyBackup::Prefix + d.toString(Qt::ISODate) + ".mdb";
        QTest::newRow("sixteen days")
            << days << QStringList{"daily-2026-05-21.mdb", "daily-2026-05-20.mdb"};
        QStringList months;
        for (QDate d(2025, 1, 28); d <= QDate(2026, 3, 28); d = d.addMonths(1))
            months << DailyBackup::Prefix + d.toString(Qt::ISODate) + ".mdb";
        QTest::newRow("fifteen months, the day's second copy, other files")
            << months + QStringList{"daily-2026-03-28-2.mdb", "ZELDB-2025-01-01.mdb"}
            << QStringList{"daily-2026-03-28.mdb", "daily-2025-01-28.mdb"};
    }
    void keptCopies() {
        QFETCH(QStringList, names);
        QFETCH(QStringList, gone);
        QCOMPARE(DailyBackup::notKept(names), gone);
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<int>("kept");
        QTest::newRow("without --yes")
            << QStringList{"--before", "01/01/1980"} << 2 << ""
            << "volmera: purge: nothing was purged: deleting deals cannot be undone, and the "
               "command line cannot ask; run it again with --yes to purge\n"
            << 4;
        QTest::newRow("not a date")
            << QStringList{"--before", "13/01/1980", "--yes"} << 2 << ""
            << "volmera: purge: \"13/01/1980\" IS NOT A DATE (MM/DD/YYYY). NOTHING WAS PURGED "
               "OR CHANGED.\nRun 'volmera --help' for usage.\n"
            << 4;
        QTest::newRow("purged") << QStringList{"--before", "1/1/80", "--yes"} << 0
                                << "purged deals sold before 01/01/1980 and deals without a sale "
                                   "date\ndeals deleted: 2\ndeals kept: 2\nbackup: "
                                   "Backup/ZELDB-%1.mdb\nbefore compaction: ZEL_OLD.mdb\n"
                                << "" << 2;
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(int, kept);
        const Run purged = run(QStringList{"purge"} + arguments, fixture->dir.path());
        QCOMPARE(purged.err, err);
        // The command line dates its backup by the machine's clock.
        QCOMPARE(purged.out,
                 QString(out).replace("%1", QDate::currentDate().toString(Qt::ISODate)));
        QCOMPARE(purged.status, status);
        QCOMPARE(stocks(files.database).size(), kept);
        QCOMPARE(QFile::exists(files.backupFolder), status == 0);
    }
};

REGISTER_TEST(PurgeTest);
#include "tst_purge.moc"
