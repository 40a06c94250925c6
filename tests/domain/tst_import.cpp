#include "TestRegistry.h"
#include "fixtures/CommandRun.h"
#include "fixtures/ExportFiles.h"
#include "fixtures/GoldenRows.h"
#include "fixtures/StoreFixture.h"

#include "base/Clock.h"
#include "base/Format.h"
#include "base/PathMapping.h"
#include "domain/entry/EntryFormat.h"
#include "domain/import/Import.h"
#include "store/Audit.h"

#include <QProcess>
#include <QSysInfo>
#include <QThread>
#include <csignal>
#include <sys/stat.h>
#include <thread>

using namespace DealImport;

namespace {
// Every field of a stored deal as text, Null as "<null>"; form 1 stock numbers keep their blanks.
QStringList storedRow(Database &db, const QString &stock) {
    QStringList fields;
    for (const FieldDef &f : DealSchema::fields())
        fields << quotedName(f.name);
    Statement s(db, QStringLiteral("SELECT %1 FROM \"ZEL\" WHERE rtrim(\"StkNbr\") = ?1")
                        .arg(fields.join(", ")));
    s.bind(1, stock);
    QStringList row;
    if (s.step())
        for (int i = 0; i < s.columnCount(); ++i)
            row << (s.value(i).isNull() ? QStringLiteral("<null>") : s.value(i).toString());
    return row;
}

QString stored(Database &db, const QString &stock, const QString &field) {
    const QList<FieldDef> &all = DealSchema::fields();
    const auto at = std::find_if(all.begin(), all.end(), [&](auto &f) { return f.name == field; });
    return storedRow(db, stock).value(int(at - all.begin()), "<no deal>");
}

// The stock numbers stored, in the order they were, but the deal the table held before.
QStringList stocks(Database &db) {
    Statement s(db, QStringLiteral("SELECT rtrim(\"StkNbr\") FROM \"ZEL\" WHERE \"StkNbr\" <> "
                                   "'S0000000' ORDER BY rowid"));
    QStringList out;
    while (s.step())
        out << s.value(0).toString();
    return out;
}

// Three deals and a header, one deal marked "*": the dealer system's usual export.
QByteArray threeDeals() {
    using namespace ExportFiles;
    return header() + deal("20240315", "SMITH", "A1234") + deal("19981231", "JONES", "B77") +
           deal("20240101", "STAR", "*");
}
} // namespace

// The import of both export forms, their damaged and look-alike variants, and a run cut short.
class ImportTest : public QObject {
    Q_OBJECT

    std::unique_ptr<StoreFixture> fixture;
    std::unique_ptr<Database> db;
    QString exportPath(const QString &name) const { return fixture->dir.filePath(name); }

    Outcome run(Form form, const QString &name, const QByteArray &bytes) {
        ExportFiles::write(exportPath(name), bytes);
        return importDeals(fixture->address, {form, exportPath(name)});
    }

private Q_SLOTS:
    void initTestCase_data() { engineRows(); }
    void init() {
        ENGINE_ROW(server);
        // Two-digit years 46 to 99 are 1946 to 1999, 00 to 45 are 2000 to 2045.
        Clock::setToday(QDate(2026, 6, 15));
        Clock::setNow(QDateTime(QDate(2026, 6, 15), QTime(8, 15)));
        fixture = std::make_unique<StoreFixture>(server);
        db = fixture->fresh();
    }
    void cleanup() {
        db.reset();
        fixture.reset();
        PathMapping::setDriveRoot(QStringLiteral("/"));
        Clock::setToday(QDate());
        Clock::setNow({});
    }

    // The stored deal's fields, in table order, are the lines of import/every-field-ROW.txt.
    void everyFieldIsStored_data() {
        QTest::addColumn<int>("form");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("stock");
        QTest::newRow("fixed") << 1
                               << ExportFiles::header() +
                                      ExportFiles::deal("20240315", "SMITHERSONWELLS", "A1234567")
                               << "A1234567";
        QTest::newRow("delimited")
            << 2 << ExportFiles::line("03/15/2024", "JONES", "P100") << "P100";
    }
    void everyFieldIsStored() {
        QFETCH(int, form);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, stock);
        const Outcome out = run(Form(form), form == 1 ? "ZEL_DB.DBF" : "INV.PST", bytes);
        QVERIFY2(out.clean(), qPrintable(closingMessage({Form(form), "x"}, out)));
        QCOMPARE(out.imported, 1);
        QCOMPARE(
            storedRow(*db, stock),
            goldenLines(QStringLiteral("import/every-field-%1.txt").arg(QTest::currentDataTag())));
    }

    void conversions_data() {
        using ExportFiles::deal, ExportFiles::line;
        QTest::addColumn<int>("form");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        const auto fixed = [](const char *name, const QMap<int, QByteArray> &more,
                              const char *field, const char *value,
                              const QByteArray &last = "SMITH") {
            QTest::newRow(name) << 1 << ExportFiles::header() + deal("20240315", last, "A1", more)
                                << field << QString(value);
        };
        fixed("year 05", {{23, "05"}}, "Year", "2005");
        fixed("year 98", {{23, "98"}}, "Year", "1998");
        fixed("year 46", {{23, "46"}}, "Year", "1946");
        fixed("key keeps the blanks", {}, "LNKey", "SMITH          A1      ");
        fixed("birth date \"  /  /\"", {{9, "  /  /"}}, "ByDOB", "<null>");
        fixed("blank birth date", {{10, ""}}, "CByDOB", "<null>");
        fixed("blank amount", {{28, ""}}, "SmComm1", "0.00");
        fixed("code page 1252", {}, "ByLName", "MUÑOZ          ", "MU\xD1OZ");
        const auto delimited = [](const char *name, const QMap<int, QString> &more,
                                  const char *field, const char *value) {
            QTest::newRow(name) << 2 << line(more.value(0, "03/15/2024"), "SMITH", "A1", more)
                                << field << QString(value);
        };
        delimited("date 03/05/24", {{0, "03/05/24"}}, "DateSold", "2024-03-05");
        delimited("date 3/5/24", {{0, "3/5/24"}}, "DateSold", "2024-03-05");
        delimited("date 03-05-2024", {{0, "03-05-2024"}}, "DateSold", "2024-03-05");
        delimited("date #2024-03-05#", {{0, "#2024-03-05#"}}, "DateSold", "2024-03-05");
        delimited("date 12/31/45", {{0, "12/31/45"}}, "DateSold", "2045-12-31");
        delimited("date 1/1/46", {{0, "1/1/46"}}, "DateSold", "1946-01-01");
        delimited("year 20", {{22, "20"}}, "Year", "2020");
        delimited("year 46", {{22, "46"}}, "Year", "1946");
        delimited("year 5", {{22, "5"}}, "Year", "2005");
        delimited("year 2031", {{22, "2031"}}, "Year", "2031");
        delimited("empty year", {{22, ""}}, "Year", "");
        delimited("empty other profit", {{35, ""}}, "Prft1", "Other Profit");
        delimited("unquoted blanks dropped", {{36, "  150 "}}, "PrftAmt1", "150");
        delimited("quoted blanks and comma kept", {{5, " 1 MAIN, APT 2 "}}, "ByAdr",
                  " 1 MAIN, APT 2 ");
        delimited("blank birth date", {{8, ""}}, "ByDOB", "<null>");
        delimited("address \\N, the server's Null mark", {{5, "\\N"}}, "ByAdr", "\\N");
    }
    void conversions() {
        QFETCH(int, form);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, field);
        QFETCH(QString, value);
        const Outcome out = run(Form(form), form == 1 ? "ZEL_DB.DBF" : "INV.PST", bytes);
        QVERIFY2(out.clean(), qPrintable(closingMessage({Form(form), "x"}, out)));
        QCOMPARE(stored(*db, "A1", field), value);
    }

    void numbersAreLaidOutAsTheEntryScreenDoes() {
        // The shortcut for plain numbers gives what the general layout gives.
        const QStringList values = {
            "",          "0",          "5",        "-5",       "12.5",    "-12.5",    "0.5",
            ".5",        "-.5",        "5.",       "-0",       "-0.00",   "0000300",  "007.25",
            "1.005",     "2.675",      "12.34567", "0.000005", " 42 ",    "  -3.1  ", "+3",
            "1e5",       "12*3",       "4 5",      "-",        ".",       "999",      "1000",
            "9999999.9", "1234567.89", "-999.99",  "99.995",   "-99.995", "0.999995", "\t7"};
        for (const QString &mask :
             {QStringLiteral("##0"), QStringLiteral("#0.00000"), QStringLiteral("######0.00")})
            for (const QString &value : values)
                QCOMPARE(exportNumber(value, mask), plainFormat(mask, Val(value)));
    }

    void fixedExportImportedTwiceAddsNothing() {
        const Outcome first = run(Form::Fixed, "ZEL_DB.DBF", threeDeals());
        QCOMPARE(first.imported, 2);
        QCOMPARE(first.notForImport, 1);
        const Outcome second =
            importDeals(fixture->address, {Form::Fixed, exportPath("ZEL_DB.DBF")});
        QCOMPARE(second.imported, 0);
        QCOMPARE(second.alreadyPresent, 2);
        QVERIFY(second.clean());
        QCOMPARE(stocks(*db), (QStringList{"A1234", "B77"}));
        QVERIFY(QFile::exists(exportPath("ZEL_DB.DBF"))); // form 1 stays
        // The record of changes: a row for each deal added and one for each run, "~" for none.
        QStringList rows;
        for (const Audit::Entry &e : Audit::history(*db))
            rows << QStringList{e.at.toString(Qt::ISODate),
                                e.host,
                                e.action,
                                e.stock,
                                e.field,
                                e.oldValue.value_or("~"),
                                e.newValue.value_or("~")}
                        .join('|');
        QCOMPARE(rows, goldenLines("import/audit-imported-twice.txt")
                           .replaceInStrings("%h", QSysInfo::machineHostName()));
    }

    void exportIsFoundInTheDriveFolder_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("form"); // 0: none
        QTest::newRow("both") << QStringList{"ZEL_DB.DBF", "INV.PST"} << 1;
        QTest::newRow("delimited only") << QStringList{"INV.PST"} << 2;
        QTest::newRow("other case") << QStringList{"zel_db.dbf"} << 1;
        QTest::newRow("none") << QStringList{} << 0;
    }
    void exportIsFoundInTheDriveFolder() {
        QFETCH(QStringList, files);
        QFETCH(int, form);
        QDir(fixture->dir.path()).mkdir("fi");
        for (const QString &name : files)
            ExportFiles::write(fixture->dir.filePath("fi/" + name), ExportFiles::header());
        PathMapping::setDriveRoot(fixture->dir.path());
        const std::optional<ExportFile> found = findExport();
        QCOMPARE(found ? int(found->form) : 0, form);
        if (found)
            QVERIFY(QFile::exists(found->path));
    }

    // The refusals each row expects are the lines of import/refusals.txt that begin with its name.
    void damagedAndLookAlikeExports_data() {
        using namespace ExportFiles;
        QTest::addColumn<int>("form");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("inTable"); // stock numbers, in the order stored
        QTest::addColumn<int>("present");
        QTest::addColumn<QString>("failure");
        const auto row = [](const char *name, int form, const QByteArray &bytes,
                            const QStringList &stored, const char *failure = "", int present = 0) {
            QTest::newRow(name) << form << bytes << stored << present << QString(failure);
        };
        const QByteArray good = deal("20240101", "GOOD", "G1"),
                         good2 = deal("20240102", "GOOD", "G2");
        QByteArray blankEnd = deal("20240103", "BLANKEND", "B1");
        blankEnd.replace(392, 2, "  ");
        QByteArray markedHeader = header();
        markedHeader.replace(392, 2, "X\n");

        row("fixed: record cut short", 1, header() + good + deal("20240103", "CUT", "C1").left(300),
            {"G1"});
        row("fixed: a record's line end blanked", 1, header() + good + blankEnd + good2,
            {"G1", "B1", "G2"});
        row("fixed: the header's line end damaged", 1, markedHeader + good + good2, {"G1", "G2"});
        row("fixed: a record 4 bytes short", 1,
            header() + good + deal("20240103", "SHORT", "S1").remove(380, 4) + good2, {"G1"});
        row("fixed: sale date not a date", 1, header() + good + deal("20241301", "BAD", "D1"),
            {"G1"});
        row("fixed: blank sale date", 1, header() + deal("        ", "BAD", "D2") + good, {"G1"});
        row("fixed: byte without a character", 1,
            header() + deal("20240103", "X\x81Y", "U1") + good, {"G1"});
        row("fixed: NUL in a name", 1,
            header() + deal("20240103", QByteArray("A\0B", 3), "N1") + good, {"G1"});
        row("fixed: bytes above 127", 1, header() + deal("20240103", "\xC9T\xC9\x80", "E1"),
            {"E1"});
        row("fixed: empty file", 1, QByteArray(), {},
            "The export file ZEL_DB.DBF is empty: there is nothing to import.");
        row("fixed: header cut short", 1, header().left(100), {},
            "The export file ZEL_DB.DBF is too short to hold its first record (100 of 394 bytes): "
            "nothing was imported.");
        row("fixed: header only", 1, header(), {});
        row("fixed: end-of-file mark", 1, header() + good + "\x1A", {"G1"});
        row("fixed: another deal's stock number", 1,
            header() + deal("20140101", "SMITH", "S0000000"), {});
        row("fixed: the same deal twice", 1, header() + good + good, {"G1"}, "", 1);
        row("fixed: blank stock numbers", 1,
            header() + deal("20240101", "ONE", "") + deal("20240101", "TWO", "") +
                deal("20240101", "THREE", ""),
            {});
        row("fixed: blank last name", 1, header() + deal("20240101", "", "L1"), {});

        const QByteArray ok = line("01/01/2024", "GOOD", "G1"),
                         ok2 = line("01/02/2024", "GOOD", "G2");
        row("delimited: a line with too few items", 2, line("01/03/2024", "FEW", "F1", {}, 41) + ok,
            {"G1"});
        row("delimited: a line with too many items", 2,
            ok + line("01/03/2024", "MANY", "M1", {}, 43) + ok2, {"G1", "G2"});
        row("delimited: unterminated quote", 2,
            ok + line("01/03/2024", "QUOTE", "Q1", {{39, "WAX"}}).replace("\"WAX\"", "\"WAX") + ok2,
            {"G1", "G2"});
        row("delimited: file ends inside a deal", 2, ok + line("01/03/2024", "CUT", "C1").left(47),
            {"G1"});
        row("delimited: value the store refuses", 2,
            ok + line("01/03/2024", "A NAME FAR TOO LONG", "L1"), {"G1"});
        row("delimited: not a date", 2, line("31/01/2024", "DAY", "D1") + ok, {"G1"});
        row("delimited: no sale date", 2, line("", "NODATE", "D3") + ok, {"G1"});
        row("delimited: byte without a character", 2,
            line("01/03/2024", "XQY", "U1").replace("XQY", "X\x8DY") + ok, {"G1"});
        row("delimited: NUL and 10 MB in a name", 2,
            line("01/03/2024", QStringLiteral("A") + QChar(0) + QString(10'000'000, u'B'), "N1") +
                ok,
            {"G1"});
        row("delimited: tab in an address", 2,
            ok + line("01/03/2024", "TAB", "T1", {{5, "12\tELM"}}), {"G1"});
        row("delimited: bytes above 127", 2, line("01/03/2024", "ÉTÉ€", "E1"), {"E1"});
        row("delimited: two buyers, one stock number", 2,
            line("01/01/2024", "SMITH", "S0") + line("01/02/2024", "JONES", "S0"), {"S0"});
        row("delimited: another deal's stock number", 2, line("01/01/2014", "SMITH", "S0000000"),
            {});
        row("delimited: the same deal twice", 2, ok + ok, {"G1"}, "", 1);
        row("delimited: blank stock numbers", 2,
            line("01/01/2024", "ONE", "") + line("01/01/2024", "TWO", " ") +
                line("01/01/2024", "THREE", ""),
            {});
        row("delimited: empty file", 2, QByteArray(), {},
            "The export file INV.PST is empty: there is nothing to import.");
        row("delimited: end-of-file mark", 2, ok + "\x1A", {"G1"});
    }
    void damagedAndLookAlikeExports() {
        QFETCH(int, form);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, inTable);
        QFETCH(int, present);
        QFETCH(QString, failure);
        {
            // A deal stored before: nothing already there is lost.
            auto rs = db->openRecordset("ZEL");
            StoreFixture::addDeal(*rs, "ANDERSON", "S0000000", {{"DateSold", QDate(1999, 6, 1)}});
        }
        const QString name = form == 1 ? "ZEL_DB.DBF" : "INV.PST";
        const Outcome out = run(Form(form), name, bytes);
        QStringList refused;
        for (const Refusal &r : out.refused)
            refused << r.where + '|' + r.stockNumber + '|' + r.reason;
        const QStringList refusals = goldenRows("import/refusals.txt");
        QCOMPARE(refused, refusals);
        QCOMPARE(out.failure, failure);
        QCOMPARE(stocks(*db), inTable);
        QCOMPARE(out.imported, inTable.size());
        QCOMPARE(out.alreadyPresent, present);
        QCOMPARE(stored(*db, "S0000000", "ByLName"), "ANDERSON");
        // The delimited export is the only copy of the deals it holds until all are stored.
        QCOMPARE(QFile::exists(exportPath(name)),
                 form == 1 || !refusals.isEmpty() || !failure.isEmpty());
    }

    void refusedDealKeepsTheFileUntilAllAreStored() {
        using ExportFiles::line;
        const QByteArray good = line("01/01/2024", "GOOD", "G1");
        QCOMPARE(
            run(Form::Delimited, "INV.PST", good + line("01/02/2024", "", "G2")).refused.size(), 1);
        // Mended and imported again: the first deal is there, the second is stored, and now
        // the file goes.
        const Outcome again =
            run(Form::Delimited, "INV.PST", good + line("01/02/2024", "NAMED", "G2"));
        QCOMPARE(again.alreadyPresent, 1);
        QCOMPARE(again.imported, 1);
        QVERIFY(!QFile::exists(exportPath("INV.PST")));
    }

    void exportDeletedByAnotherImportMeanwhile() {
        const QByteArray text = ExportFiles::line("01/01/2024", "GOOD", "G1");
        QCOMPARE(run(Form::Delimited, "INV.PST", text).imported, 1);
        // Another import of the same file deletes it while this one runs: here a pipe in its
        // place, whose name goes once its deal has been written into it.
        const QString path = exportPath("INV.PST");
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        std::thread other([&] {
            QFile pipe(path);
            if (pipe.open(QIODevice::WriteOnly)) {
                pipe.write(text);
                QFile::remove(path);
            }
        });
        const Outcome out = importDeals(fixture->address, {Form::Delimited, path});
        other.join();
        QVERIFY2(out.clean(), qPrintable(closingMessage({Form::Delimited, path}, out)));
        QCOMPARE(out.alreadyPresent, 1);
        QVERIFY(!out.fileDeleted);
        QVERIFY(out.fileDeletedElsewhere);
    }

    void damagedDatabaseIsRefused_data() {
        QTest::addColumn<QString>("object");
        QTest::addColumn<int>("damage");
        QTest::newRow("table page") << "ZEL" << int(StoreFixture::Damage::Header);
        QTest::newRow("sale date index") << "DateSold" << int(StoreFixture::Damage::Dates);
    }
    void damagedDatabaseIsRefused() {
        QFETCH(QString, object);
        QFETCH(int, damage);
        if (fixture->onServer())
            QSKIP("damage to the file's pages: a server database has no file of ours");
        db.reset();
        StoreFixture::addDeals(fixture->path, 1000, QDate(2020, 1, 1));
        StoreFixture::damagePage(fixture->path, StoreFixture::leafPages(fixture->path, object)[1],
                                 StoreFixture::Damage(damage));
        const QString problem = Database::open(fixture->path)->integrityProblems(1).value(0);
        QVERIFY(!problem.isEmpty());
        const Outcome out =
            run(Form::Delimited, "INV.PST", ExportFiles::line("01/01/2024", "GOOD", "G1"));
        QCOMPARE(out.failure, QStringLiteral("The deal database %1 is damaged (%2): nothing was "
                                             "imported. Purge and rebuild it, which repairs what "
                                             "can be repaired, then import again.")
                                  .arg(fixture->path, problem));
        QCOMPARE(out.imported, 0);
        QVERIFY(QFile::exists(exportPath("INV.PST")));
        auto after = Database::open(fixture->path);
        Statement g1(*after, "SELECT count(*) FROM \"ZEL\" WHERE \"StkNbr\" = 'G1'");
        QVERIFY(g1.step());
        QCOMPARE(g1.int64(0), 0);
    }

    void killedImportIsCompletedByTheNextRun() {
        // Enough deals that the import is still writing when it is killed.
        const int deals = 60000;
        QByteArray bytes = ExportFiles::header();
        bytes.reserve(394 * (deals + 1));
        for (int i = 0; i < deals; ++i)
            bytes += ExportFiles::deal("20240101", "KILL" + QByteArray::number(i % 97),
                                       "K" + QByteArray::number(i));
        ExportFiles::write(exportPath("ZEL_DB.DBF"), bytes);
        QProcess child;
        child.start(QStringLiteral(VOLMERA_BIN),
                    QStringList{"import", exportPath("ZEL_DB.DBF"), "--yes"} +
                        fixture->programArguments());
        QVERIFY(child.waitForStarted());
        int seen = 0;
        QElapsedTimer waited;
        waited.start();
        while (seen == 0 && waited.elapsed() < 60000 && child.state() == QProcess::Running) {
            QThread::msleep(5);
            try {
                seen = int(stocks(*Database::open(fixture->address)).size());
            } catch (const StoreError &) {
            }
        }
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished();
        if (seen == 0 || child.exitStatus() != QProcess::CrashExit)
            QSKIP("the import ended before it could be killed in the middle");
        QCOMPARE(db->integrityProblems(), QStringList());
        const int kept = int(stocks(*db).size());
        QVERIFY2(kept > 0 && kept < deals, qPrintable(QString::number(kept)));

        const Outcome again =
            importDeals(fixture->address, {Form::Fixed, exportPath("ZEL_DB.DBF")});
        QVERIFY2(again.clean(), qPrintable(closingMessage({Form::Fixed, "x"}, again)));
        QCOMPARE(again.alreadyPresent, kept);
        QCOMPARE(again.imported, deals - kept);
        Statement distinct(*db, "SELECT count(DISTINCT \"StkNbr\"), count(*) FROM \"ZEL\"");
        distinct.step();
        QCOMPARE(distinct.int64(0), qint64(deals));
        QCOMPARE(distinct.int64(1), qint64(deals));
    }

    void commandLine_data() {
        // Run in the folder "caller" beside the data folder %1, where the export files are; what
        // it says is import/command-ROW.txt, on standard error when it refuses the command line.
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("deals");
        const auto row = [](const char *name, const char *command, int status, int deals) {
            QTest::newRow(name) << QString(command).split(' ') << status << deals;
        };
        row("without-yes", "import ZEL_DB.DBF --data-dir %1", 2, 0);
        row("refused-deal", "import ZEL_DB.DBF --yes --data-dir %1", 1, 2);
        row("data-folder-first", "--data-dir %1 import ../caller/deals.txt --form 2 --yes", 0, 1);
        row("form-not-told", "import deals.txt --yes --data-dir %1", 2, 0);
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(int, deals);
        const QString folder = fixture->dir.path(), caller = folder + "/caller";
        QDir().mkpath(caller);
        ExportFiles::write(caller + "/ZEL_DB.DBF",
                           threeDeals() + ExportFiles::deal("2024x301", "BAD", "D1"));
        ExportFiles::write(caller + "/deals.txt", ExportFiles::line("01/01/2024", "CLI", "T1"));
        if (fixture->onServer())
            arguments << "--database" << fixture->address.connection();
        const CommandRun r = runVolmera(arguments.replaceInStrings("%1", folder), caller);
        const QString said =
            goldenText(QStringLiteral("import/command-%1.txt").arg(QTest::currentDataTag()))
                .replace("%1", folder);
        QCOMPARE(r.err, status == 2 ? said : QString());
        QCOMPARE(r.out, status == 2 ? QString() : said);
        QCOMPARE(r.status, status);
        QCOMPARE(int(stocks(*db).size()), deals);
    }
};

REGISTER_TEST(ImportTest);
#include "tst_import.moc"
