#include "TestRegistry.h"
#include "fixtures/CommandRun.h"
#include "fixtures/Files.h"
#include "fixtures/GoldenRows.h"
#include "fixtures/StoreFixture.h"

#include "base/Clock.h"
#include "domain/entry/DealBinding.h"
#include "store/Audit.h"
#include "store/Backups.h"
#include "store/Migrate.h"
#include "store/OfficePassword.h"
#include "store/Purge.h"
#include "store/UseLock.h"

#include <QElapsedTimer>
#include <QThread>
#include <sys/stat.h>
#include <thread>

using namespace DealPurge;

namespace {
// What the store said when it refused the step; empty when it took it.
template <class Step> QString refusal(const Step &step) {
    try {
        step();
    } catch (const VolmeraError &e) {
        return e.description();
    }
    return QString();
}

// Each deal's values of the columns given, joined by "|", in the order given.
QStringList stocks(const DatabaseAddress &database, const QString &columns = "\"StkNbr\"",
                   const QString &order = "\"StkNbr\"") {
    auto db = Database::open(database);
    Statement s(*db, QString("SELECT %1 FROM \"ZEL\" ORDER BY %2").arg(columns, order));
    QStringList out;
    while (s.step()) {
        QStringList values;
        for (int i = 0; i < s.columnCount(); ++i)
            values << s.value(i).toString();
        out << values.join('|');
    }
    return out;
}
} // namespace

// The deal database as a whole: what is at its path, its layout and upgrade, a lost connection,
// purge and rebuild (which deals go, the copies left, failures, other copies of the program), the
// daily copies, and moving the deals to a server.
class DatabaseTest : public QObject {
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
    // the record of the deals it removed (golden/store/purge-history.txt), and still refuses any
    // change to that record.
    void dealsBeforeTheCutoffGo_data() {
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("cutoff");
        QTest::addColumn<QStringList>("kept");
        for (const bool server : {false, true}) {
            const auto row = [server](const char *name, const QString &cutoff,
                                      const QStringList &kept) {
                QTest::addRow("%s: %s", server ? "server" : "file", name)
                    << server << cutoff << kept;
            };
            row("default", DefaultCutoff, {"B", "D"});
            row("cutoff day kept", "06/30/2024", {"D"});
            row("day after", "07/01/2024", {});
        }
    }
    void dealsBeforeTheCutoffGo() {
        QFETCH(QString, cutoff);
        QFETCH(QStringList, kept);
        if (!startOnTheRowsEngine())
            QSKIP(TestServer::skipReason());
        Audit::Writer(*Database::open(fixture->address))
            .write(Audit::Action::Edit, "A", "Term", "36", "48");
        const Outcome out = purgeBefore(cutoff);
        QVERIFY2(out.completed, qPrintable(out.failure));
        QCOMPARE(stocks(fixture->address), kept);
        if (!fixture->onServer())
            QCOMPARE(stocks(files.old), kept); // before compaction
        QCOMPARE(out.backup, files.backup);
        QCOMPARE(stocks(files.backup), (QStringList{"A", "B", "C", "D"})); // before deletion
        QVERIFY(out.repair.isEmpty());
        QVERIFY(!QFile::exists(files.database + "-new"));
        QStringList history;
        auto db = Database::open(fixture->address);
        for (const Audit::Entry &e : Audit::history(*db))
            history << QStringList{e.action, e.stock, e.field, e.oldValue.value_or("~"),
                                   e.newValue.value_or("~")}
                           .join('|');
        QCOMPARE(history, goldenRows("store/purge-history.txt"));
        QStringList changes{"UPDATE \"ZELAudit\" SET \"NewValue\" = 'x' WHERE \"StkNbr\" = 'A'",
                            "DELETE FROM \"ZELAudit\" WHERE \"StkNbr\" = 'A'",
                            "DELETE FROM \"ZELAudit\""};
        if (fixture->onServer())
            changes << "TRUNCATE \"ZELAudit\"";
        for (const QString &change : changes)
            QCOMPARE(refusal([&] { db->exec(change); }),
                     QString("The rows of ZELAudit are a permanent record: they cannot be changed "
                             "or deleted."));
        QCOMPARE(Audit::history(*db).size(), history.size());
        db.reset();
        // A second run keeps the first backup, which holds deals no other file does.
        addDeals({{"E", QDate(2026, 6, 1)}});
        const Outcome second = purgeBefore(cutoff);
        QVERIFY2(second.completed, qPrintable(second.failure));
        QCOMPARE(second.backup, fixture->dir.filePath("Backup/ZELDB-2026-06-15-2.mdb"));
        QCOMPARE(stocks(second.backup), kept + QStringList{"E"});
        QCOMPARE(stocks(files.backup), (QStringList{"A", "B", "C", "D"}));
    }

    // What was mended is in golden/store/repairs.txt: the indexes rebuilt, or the deals read
    // into a rebuilt database.
    void damagedDatabaseIsMendedBeforeTheDeletion_data() {
        QTest::addColumn<QString>("object");
        QTest::addColumn<int>("damage");
        QTest::addColumn<int>("leaf");
        using D = StoreFixture::Damage;
        // Sale dates of 2020 moved to 2920 in the index: the deletion would not find them.
        QTest::newRow("sale date index, dates") << "DateSold" << int(D::Dates) << 0;
        QTest::newRow("sale date index, page") << "DateSold" << int(D::Header) << 1;
        QTest::newRow("table page") << "ZEL" << int(D::Header) << 30;
    }
    void damagedDatabaseIsMendedBeforeTheDeletion() {
        QFETCH(QString, object);
        QFETCH(int, damage);
        QFETCH(int, leaf);
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
        const QByteArray bytes = readFile(files.database);
        const QString problem = Database::open(files.database)->integrityProblems(1).value(0);
        QVERIFY(!problem.isEmpty());

        const Outcome out = purgeBefore("01/01/2022");
        QVERIFY2(out.completed, qPrintable(out.failure));
        QCOMPARE(out.repair, goldenRows("store/repairs.txt")
                                 .value(0)
                                 .replace("%1", problem)
                                 .replace("%2", QString::number(1204 - lost.size()))
                                 .replace("%3", QString::number(lost.size())));
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
        QVERIFY(readFile(out.backup) == bytes);
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
        QCOMPARE(asked, QStringList{QString("Cannot delete the file %1.").arg(obstacle)});
        QCOMPARE(out.completed, retry);
        QCOMPARE(out.failure, retry ? QString() : asked[0]);
        // Either way the live database is whole, with the deletion done, and the backup is there.
        QCOMPARE(stocks(files.database), (QStringList{"B", "D"}));
        QCOMPARE(stocks(out.backup), (QStringList{"A", "B", "C", "D"}));
        QCOMPARE(QFile::exists(files.old), retry);
    }

    // A purge takes the database alone: while another copy's entry screen has it, the purge is
    // refused and touches nothing; a copy that starts during a purge waits for it.
    void oneCopyAtATime_data() { engineRows(); }
    void oneCopyAtATime() {
        if (!startOnTheRowsEngine())
            QSKIP(TestServer::skipReason());
        DealBinding other;
        other.open(fixture->address);
        QStringList asked;
        const Outcome refused = purgeBefore(DefaultCutoff, [&](const QString &description) {
            asked << description;
            return false;
        });
        QVERIFY(!refused.completed);
        QCOMPARE(asked, QStringList{"THE DATABASE IS OPEN ON ANOTHER WORKSTATION (or in another "
                                    "copy of the program).\nClose the program there, then purge "
                                    "again. Nothing was changed."});
        QVERIFY(!QFile::exists(files.backup));
        QCOMPARE(stocks(fixture->address).size(), 4);
        other.release();

        auto purging = DatabaseUse::take(fixture->address, DatabaseUse::Mode::Exclusive, 0);
        QVERIFY(purging);
        QVERIFY(!DatabaseUse::take(fixture->address, DatabaseUse::Mode::Shared, 100));
        std::thread done([&] {
            QThread::msleep(400);
            purging.reset();
        });
        QElapsedTimer waited;
        waited.start();
        other.open(fixture->address);
        done.join();
        QVERIFY(waited.elapsed() >= 300);
        QCOMPARE(other.recordset().recordCount(), 4);
        other.release();
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
        const QString blanked = "blanked the personal data of deals sold before 01/01/2024\n"
                                "deals blanked: %1\n";
        QCOMPARE(runIn(dir, {"init", "--sample", "300"}).status, 0);
        const QString before = runIn(dir, asJson).out;
        QVERIFY(before.size() > 100);
        QCOMPARE(runIn(dir, blank).out, blanked.arg(214));
        QCOMPARE(runIn(dir, asJson).out, same ? before : "{\"lines\":[],\"salespeople\":[]}\n");
        // Nothing is left to blank.
        QCOMPARE(runIn(dir, blank).out, blanked.arg(0));
    }

    // The day's copy put back holds the same deals and the record of changes, still permanent,
    // and the database it replaced is kept. A copy that is not sound, or a database in use, is
    // never put back, saying why (golden/store/restore-refusals.txt).
    void restore_data() {
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("damage");
        QTest::newRow("file") << false << "";
        QTest::newRow("server") << true << "";
        QTest::newRow("cut short") << false << "cut";
        QTest::newRow("pages overwritten") << false << "overwrite";
        QTest::newRow("database in use") << false << "in use";
    }
    void restore() {
        QFETCH(QString, damage);
        const QString refused = goldenRows("store/restore-refusals.txt").value(0);
        if (!startOnTheRowsEngine())
            QSKIP(TestServer::skipReason());
        Audit::Writer(*Database::open(fixture->address))
            .write(Audit::Action::Edit, "A", "Term", "36", "48");
        const QString copy =
            DailyBackup::make(fixture->address, files.backupFolder, QDate(2026, 6, 15));
        QCOMPARE(copy, fixture->dir.filePath("Backup/daily-2026-06-15.mdb"));
        QVERIFY(!DailyBackup::due(files.backupFolder, QDate(2026, 6, 15)));
        if (damage == "cut")
            QVERIFY(QFile::resize(copy, QFileInfo(copy).size() / 2));
        else if (damage == "overwrite")
            StoreFixture::damagePage(copy, StoreFixture::leafPages(copy, "ZEL").value(0),
                                     StoreFixture::Damage::Header);
        const auto other = damage == "in use"
                               ? DatabaseUse::take(files.database, DatabaseUse::Mode::Shared, 0)
                               : nullptr;
        addDeals({{"E", QDate(2026, 6, 1)}});
        const QStringList all{"A", "B", "C", "D", "E"};
        QCOMPARE(refusal([&] { DailyBackup::restore(copy, fixture->address, files.old); }),
                 QString(refused).replace("%1", copy));
        if (!refused.isEmpty()) {
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

    // What each says is in golden/store/purge-command.txt, on standard output when it purged.
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("kept");
        QTest::newRow("without --yes") << QStringList{"--before", "01/01/1980"} << 2 << 4;
        QTest::newRow("not a date") << QStringList{"--before", "13/01/1980", "--yes"} << 2 << 4;
        QTest::newRow("purged") << QStringList{"--before", "1/1/80", "--yes"} << 0 << 2;
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(int, kept);
        const CommandRun purged = runIn(fixture->dir.path(), QStringList{"purge"} + arguments);
        // The command line dates its backup by the machine's clock.
        const QString said = goldenRows("store/purge-command.txt")
                                 .join('\n')
                                 .replace("%1", QDate::currentDate().toString(Qt::ISODate)) +
                             '\n';
        QCOMPARE(purged.out, status == 0 ? said : QString());
        QCOMPARE(purged.err, status == 0 ? QString() : said);
        QCOMPARE(purged.status, status);
        QCOMPARE(stocks(files.database).size(), kept);
        QCOMPARE(QFile::exists(files.backupFolder), status == 0);
    }

    // Moving the file's deals to a server: all of them, in their order, or none.
    void movesEveryDealOnceIntoAnEmptyTable_data() {
        QTest::addColumn<bool>("held");
        QTest::newRow("empty server") << false;
        QTest::newRow("server holds a deal") << true;
    }
    void movesEveryDealOnceIntoAnEmptyTable() {
        QFETCH(bool, held);
        if (!TestServer::available())
            QSKIP(TestServer::skipReason());
        // Added last, sorted second.
        StoreFixture::addDeal(*Database::open(files.database)->openRecordset("ZEL"),
                              "O'Hara Müller", "AA", {{"Delivered", true}});
        StoreFixture server(true);
        auto target = server.fresh();
        if (held)
            StoreFixture::addDeal(*target->openRecordset("ZEL"), "THERE", "T1");
        const QString columns = "\"StkNbr\", \"ByLName\", \"DateSold\", \"Delivered\"";
        const QStringList before = stocks(server.address, columns, "rowid");
        QCOMPARE(
            refusal([&] { QCOMPARE(DealMigration::copyDeals(files.database, server.address), 5); }),
            held ? QString("The deal table on the server (%1) already holds 1 "
                           "deal(s): nothing was copied. Deals are moved only into "
                           "an empty table.")
                       .arg(server.address.describe())
                 : QString());
        QCOMPARE(stocks(server.address, columns, "rowid"),
                 held ? before : stocks(files.database, columns, "rowid"));
    }

    // Whatever is at the path and is not a deal database stays as it is: making a database
    // there and opening it are refused, saying why (golden/store/left-alone.txt: the refusal to
    // make it, then to open it).
    void whatIsAtThePathIsLeftAlone_data() {
        QTest::addColumn<QString>("what");
        for (const char *what : {"text", "bytes", "foreign", "folder", "pipe", "missing"})
            QTest::newRow(what) << QString(what);
    }
    void whatIsAtThePathIsLeftAlone() {
        QFETCH(QString, what);
        const QStringList said = goldenRows("store/left-alone.txt");
        QCOMPARE(said.size(), 2);
        StoreFixture f;
        const QString path =
            what == "missing" ? f.dir.filePath("no/such/folder/ZELDB.mdb") : f.path;
        if (what == "text" || what == "bytes") {
            QVERIFY(writeFile(path, what == "text"
                                        ? "keep me, I am no database but long enough to be "
                                          "taken for one"
                                        : "\x01\x02\x03garbage"));
        } else if (what == "foreign") {
            Database::create(path)->exec(QStringLiteral("CREATE TABLE other (x)"));
        } else if (what == "folder") {
            QVERIFY(QDir().mkpath(path));
        } else if (what == "pipe") {
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        }
        // A pipe is not opened: that would wait for a writer.
        const auto bytes = [&] { return QFileInfo(path).isFile() ? readFile(path) : QByteArray(); };
        const QByteArray before = bytes();
        QCOMPARE(refusal([&] { createDealDatabase(path); }), said[0].arg(path));
        QCOMPARE(refusal([&] { openDealDatabase(path); }), said[1].arg(path));
        QCOMPARE(bytes(), before);
    }

    // The server ends the connection (a restart, a network cut) in the middle of a write.
    void lostConnectionStoresNothingHalfWay() {
        if (!TestServer::available())
            QSKIP(TestServer::skipReason());
        StoreFixture f(true);
        auto db = f.fresh();
        auto rs = db->openRecordset(QStringLiteral("ZEL"));
        const QString said = refusal([&] {
            Transaction t(*db);
            StoreFixture::addDeal(*rs, QStringLiteral("HALF"), QStringLiteral("H1"));
            Database::open(f.address)->exec(
                "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = "
                "current_database() AND pid <> pg_backend_pid()");
            StoreFixture::addDeal(*rs, QStringLiteral("HALF"), QStringLiteral("H2"));
            t.commit();
        });
        QVERIFY2(said.startsWith("The connection to the database server was lost (PostgreSQL "
                                 "database "),
                 qPrintable(said));
        // Outside a transaction the next step connects again, and finds nothing of the first.
        rs->requery();
        QCOMPARE(rs->recordCount(), 0);
        StoreFixture::addDeal(*rs, QStringLiteral("WHOLE"), QStringLiteral("W1"));
        QCOMPARE(Database::open(f.address)->openRecordset("ZEL")->recordCount(), 1);
    }

    void upgrade_data() {
        QTest::addColumn<int>("oldFieldCount");
        QTest::addColumn<int>("deals");
        QTest::addColumn<int>("outcome");
        QTest::newRow("older table with deals") << 43 << 3 << int(OpenOutcome::Upgraded);
        QTest::newRow("lacking only the admin fee") << 45 << 2 << int(OpenOutcome::Upgraded);
        QTest::newRow("current table") << 46 << 1 << int(OpenOutcome::Current);
        QTest::newRow("older empty table") << 43 << 0 << int(OpenOutcome::Recreated);
    }

    void upgrade() {
        QFETCH(int, oldFieldCount);
        QFETCH(int, deals);
        QFETCH(int, outcome);
        StoreFixture f;
        {
            auto db = Database::create(f.path);
            db->createTable(DealSchema::Table, DealSchema::fields().mid(0, oldFieldCount),
                            DealSchema::indexes());
            auto rs = db->openRecordset(QStringLiteral("ZEL"));
            for (int i = 0; i < deals; ++i)
                StoreFixture::addDeal(*rs, QStringLiteral("OLD%1").arg(i),
                                      QStringLiteral("S%1").arg(i),
                                      {{QStringLiteral("Pack"), QStringLiteral("300.00")}});
        }
        QCOMPARE(int(openDealDatabase(f.path)), outcome);
        auto db = Database::open(f.path);
        QList<FieldDef> fields = DealSchema::fields();
        // An upgraded admin fee does not take the zero-length text; a new one does.
        fields[45].allowZeroLength = outcome != int(OpenOutcome::Upgraded);
        QCOMPARE(db->fields(DealSchema::Table), fields);
        auto rs = db->openRecordset(QStringLiteral("SELECT *FROM ZEL ORDER BY LNKey"));
        QCOMPARE(rs->recordCount(), deals);
        for (int i = 0; i < deals; ++i, rs->moveNext()) {
            QCOMPARE(rs->field(QStringLiteral("StkNbr")).toString(), QStringLiteral("S%1").arg(i));
            QCOMPARE(rs->field(QStringLiteral("Pack")).toString(), QStringLiteral("300.00"));
            QVERIFY(rs->field(QStringLiteral("DelDT")).isNull());
        }
        // A second start changes nothing more.
        QCOMPARE(int(openDealDatabase(f.path)),
                 int(deals == 0 ? OpenOutcome::Recreated : OpenOutcome::Current));
    }
};

REGISTER_TEST(DatabaseTest);
#include "tst_database.moc"
