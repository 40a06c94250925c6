#include "TestRegistry.h"
#include "fixtures/ExportFiles.h"
#include "fixtures/StoreFixture.h"

#include "base/PathMapping.h"
#include "domain/import/Import.h"

#include <QProcess>
#include <QThread>
#include <csignal>

using namespace DealImport;

namespace {
QVariant stored(Database &db, const QString &stock, const QString &field) {
    // Form 1 stock numbers keep their blanks.
    Statement s(db.handle(),
                QStringLiteral("SELECT %1 FROM ZEL WHERE rtrim(StkNbr) = ?1").arg(field));
    s.bind(1, stock);
    return s.step() ? s.value(0) : QVariant(QStringLiteral("<no deal>"));
}

int count(Database &db) {
    Statement s(db.handle(), QStringLiteral("SELECT count(*) FROM ZEL"));
    s.step();
    return int(s.int64(0));
}

// Three deals and a header, one deal marked "*": the dealer system's usual export.
QByteArray threeDeals() {
    using namespace ExportFiles;
    return header() +
           deal("20240315", "SMITH", "A1234",
                {{3, "SMITH"},
                 {4, "JOHN A"},
                 {5, "MARY"},
                 {9, "  /  /"},
                 {10, "01/02/1970"},
                 {14, "60"},
                 {15, "4.9"},
                 {19, "25000"},
                 {20, "450.5"},
                 {23, "05"},
                 {27, "-12.5"},
                 {36, "99.999"},
                 {37, "300"}}) +
           deal("19981231", "MU\xD1OZ", "B77", {{4, "JOS\xC9"}, {23, "98"}}) +
           deal("20240101", "STAR", "*");
}
} // namespace

// The import of both export forms, their damaged variants, and a run cut short by a kill.
class ImportTest : public QObject {
    Q_OBJECT

    std::unique_ptr<StoreFixture> fixture;
    std::unique_ptr<Database> db;
    QString exportPath(const QString &name) const { return fixture->dir.filePath(name); }

    Outcome run(Form form, const QString &name, const QByteArray &bytes) {
        ExportFiles::write(exportPath(name), bytes);
        return importDeals(fixture->path, {form, exportPath(name)});
    }

private Q_SLOTS:
    void init() {
        fixture = std::make_unique<StoreFixture>();
        db = fixture->fresh();
    }
    void cleanup() {
        db.reset();
        fixture.reset();
        PathMapping::setDriveRoot(QStringLiteral("/"));
    }

    void fixedRecordsFillTheBoxes_data() {
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        const QString a = "A1234", b = "B77";
        const auto row = [](const char *name, const QString &stock, const char *field,
                            const QVariant &value) {
            QTest::newRow(name) << stock << field << value;
        };
        row("sale date", a, "DateSold", "2024-03-15");
        row("last name kept with its blanks", a, "ByLName", "SMITH          ");
        row("co-buyer's last name before", a, "CByLName", "SMITH          ");
        row("buyer's first name after", a, "ByFirstMI", "JOHN A         ");
        row("empty birth date cleared", a, "ByDOB", QVariant());
        row("birth date kept", a, "CByDOB", "01/02/1970");
        row("rate", a, "APR", "4.90000");
        row("negative amount", a, "UnitPrft", "-12.50");
        row("amount rounded", a, "PrftAmt1", "100.00");
        row("blank amount", a, "SmComm1", "0.00");
        row("year 05", a, "Year", "2005");
        row("year 98", b, "Year", "1998");
        row("other profit 1", a, "Prft1", "Other Proft 1");
        row("23-character key", a, "LNKey", "SMITH          A1234   ");
        row("code page 1252", b, "ByLName", "MUÑOZ          ");
        row("no delivery", a, "Delivered", QVariant());
    }
    void fixedRecordsFillTheBoxes() {
        QFETCH(QString, stock);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        const Outcome out = run(Form::Fixed, "ZEL_DB.DBF", threeDeals());
        QVERIFY2(out.clean(), qPrintable(closingMessage({Form::Fixed, "x"}, out)));
        QCOMPARE(stored(*db, stock, field), value);
    }

    void fixedExportImportedTwiceAddsNothing() {
        const Outcome first = run(Form::Fixed, "ZEL_DB.DBF", threeDeals());
        QCOMPARE(first.imported, 2);
        QCOMPARE(first.notForImport, 1);
        const Outcome second = importDeals(fixture->path, {Form::Fixed, exportPath("ZEL_DB.DBF")});
        QCOMPARE(second.imported, 0);
        QCOMPARE(second.alreadyPresent, 2);
        QVERIFY(second.clean());
        QCOMPARE(count(*db), 2);
        QVERIFY(QFile::exists(exportPath("ZEL_DB.DBF"))); // form 1 stays
    }

    void delimitedLinesFillTheBoxes() {
        using ExportFiles::line;
        const QByteArray text =
            line("03/15/2024", "JONES", "P100", {{35, ""}, {37, "GAP"}, {36, "  150 "}}) +
            line("03/16/2024", "  SMITH, JR ", "P101", {{5, "1 MAIN, APT 2"}, {39, ""}});
        const Outcome out = run(Form::Delimited, "INV.PST", text);
        QVERIFY2(out.clean(), qPrintable(closingMessage({Form::Delimited, "x"}, out)));
        QCOMPARE(out.imported, 2);
        QCOMPARE(out.refused.size(), 0);
        QCOMPARE(stored(*db, "P100", "Prft1"), QVariant("Other Profit"));
        QCOMPARE(stored(*db, "P100", "Prft2"), QVariant("GAP"));
        QCOMPARE(stored(*db, "P100", "PrftAmt1"), QVariant("150")); // unquoted: blanks dropped
        QCOMPARE(stored(*db, "P101", "ByLName"), QVariant("  SMITH, JR ")); // quoted: kept whole
        QCOMPARE(stored(*db, "P101", "ByAdr"), QVariant("1 MAIN, APT 2"));
        QCOMPARE(stored(*db, "P101", "Prft3"), QVariant("Other Profit"));
        QCOMPARE(stored(*db, "P101", "LNKey"), QVariant("  SMITH, JR P101"));
        QVERIFY(out.fileDeleted);
        QVERIFY(!QFile::exists(exportPath("INV.PST")));
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

    void damagedExports_data() {
        using namespace ExportFiles;
        QTest::addColumn<int>("form");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("imported");
        QTest::addColumn<QString>("refusal"); // "where|stock|words of the reason", or ""
        QTest::addColumn<QString>("failure");
        const auto row = [](const char *name, int form, const QByteArray &bytes, int imported,
                            const char *refusal, const char *failure = "") {
            QTest::newRow(name) << form << bytes << imported << QString(refusal)
                                << QString(failure);
        };
        const QByteArray good = deal("20240101", "GOOD", "G1"),
                         good2 = deal("20240102", "GOOD", "G2");
        row("fixed: truncated last record", 1,
            header() + good + deal("20240103", "CUT", "C1").left(300), 1,
            "record 3|C1|incomplete: the file ends 300 bytes into it");
        row("fixed: record of the wrong length", 1,
            header() + good + deal("20240103", "SHORT", "S1").remove(380, 4) + good2, 2,
            "record 3|S1|390 bytes long");
        row("fixed: sale date not a date", 1, header() + good + deal("20241301", "BAD", "D1"), 1,
            "record 3|D1|sale date \"20241301\" is not a date");
        row("fixed: blank sale date", 1, header() + deal("        ", "BAD", "D2") + good, 1,
            "record 2|D2|sale date \"        \" is not a date");
        row("fixed: byte without a character", 1,
            header() + deal("20240103", "X\x81Y", "U1") + good, 1, "record 2|U1|byte 0x81");
        row("fixed: bytes above 127", 1, header() + deal("20240103", "\xC9T\xC9\x80", "E1"), 1, "");
        row("fixed: empty file", 1, QByteArray(), 0, "", "is empty");
        row("fixed: header cut short", 1, header().left(100), 0, "",
            "too short to hold its first record");
        row("fixed: header only", 1, header(), 0, "");
        row("fixed: end-of-file mark", 1, header() + good + "\x1A", 1, "");

        const QByteArray ok = line("01/01/2024", "GOOD", "G1"),
                         ok2 = line("01/02/2024", "GOOD", "G2");
        row("delimited: a line with too few items", 2, line("01/03/2024", "FEW", "F1", {}, 41) + ok,
            1, "line 1|F1|the line holds 41 items; a deal is 42");
        row("delimited: a line with too many items", 2,
            ok + line("01/03/2024", "MANY", "M1", {}, 43) + ok2, 2, "line 2|M1|more than 42 items");
        row("delimited: unterminated quote", 2,
            ok + line("01/03/2024", "QUOTE", "Q1", {{39, "ETCH"}}).replace("\"ETCH\"", "\"ETCH") +
                ok2,
            2, "line 2|Q1|no closing quote");
        row("delimited: file ends inside a deal", 2, ok + line("01/03/2024", "CUT", "C1").left(56),
            1, "line 2||the file ends after");
        row("delimited: value the store refuses", 2,
            ok + line("01/03/2024", "A NAME FAR TOO LONG", "L1"), 1,
            "line 2|L1|too long for field ByLName");
        row("delimited: not a date", 2, line("31/01/2024", "DAY", "D1") + ok, 1,
            "line 1|D1|is not a date for field DateSold");
        row("delimited: byte without a character", 2,
            line("01/03/2024", "XQY", "U1").replace("XQY", "X\x8DY") + ok, 1,
            "line 1|U1|byte 0x8D");
        row("delimited: bytes above 127", 2, line("01/03/2024", "ÉTÉ€", "E1"), 1, "");
        row("delimited: empty file", 2, QByteArray(), 0, "", "is empty");
    }
    void damagedExports() {
        QFETCH(int, form);
        QFETCH(QByteArray, bytes);
        QFETCH(int, imported);
        QFETCH(QString, refusal);
        QFETCH(QString, failure);
        {
            // A deal stored before: nothing already there is lost.
            auto rs = db->openRecordset("ZEL");
            StoreFixture::addDeal(*rs, "EARLIER", "E0");
        }
        const QString name = form == 1 ? "ZEL_DB.DBF" : "INV.PST";
        const Outcome out = run(Form(form), name, bytes);
        QCOMPARE(out.imported, imported);
        QCOMPARE(count(*db), 1 + imported);
        QCOMPARE(stored(*db, "E0", "ByLName"), QVariant("EARLIER"));
        if (refusal.isEmpty()) {
            QCOMPARE(out.refused.size(), 0);
        } else {
            QCOMPARE(out.refused.size(), 1);
            const QStringList want = refusal.split('|');
            QCOMPARE(out.refused[0].where, want[0]);
            QCOMPARE(out.refused[0].stockNumber, want[1]);
            QVERIFY2(out.refused[0].reason.contains(want[2]), qPrintable(out.refused[0].reason));
        }
        QVERIFY2(failure.isEmpty() ? out.failure.isEmpty() : out.failure.contains(failure),
                 qPrintable(out.failure));
        // The delimited export is the only copy of the deals it holds until all are stored.
        QCOMPARE(QFile::exists(exportPath(name)), form == 1 || !out.clean());
        if (!out.clean())
            QVERIFY(closingMessage({Form(form), exportPath(name)}, out).contains(name));
        if (QTest::currentDataTag() == QByteArray("fixed: bytes above 127") ||
            QTest::currentDataTag() == QByteArray("delimited: bytes above 127"))
            QVERIFY(stored(*db, "E1", "ByLName").toString().startsWith("ÉTÉ€"));
    }

    void refusedDealKeepsTheFileUntilAllAreStored() {
        using ExportFiles::line;
        const QByteArray text = line("01/01/2024", "GOOD", "G1") + line("01/02/2024", "", "G2");
        QCOMPARE(run(Form::Delimited, "INV.PST", text).refused.size(), 1);
        QVERIFY(QFile::exists(exportPath("INV.PST")));
        // Mended and imported again: the first deal is there, the second is stored, and now
        // the file goes.
        const Outcome again =
            run(Form::Delimited, "INV.PST",
                line("01/01/2024", "GOOD", "G1") + line("01/02/2024", "NAMED", "G2"));
        QCOMPARE(again.alreadyPresent, 1);
        QCOMPARE(again.imported, 1);
        QVERIFY(!QFile::exists(exportPath("INV.PST")));
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
        child.start(QStringLiteral(VOLMERA_BIN), {"import", exportPath("ZEL_DB.DBF"), "--yes",
                                                  "--data-dir", fixture->dir.path()});
        QVERIFY(child.waitForStarted());
        int seen = 0;
        QElapsedTimer waited;
        waited.start();
        while (seen == 0 && waited.elapsed() < 60000 && child.state() == QProcess::Running) {
            QThread::msleep(5);
            try {
                seen = count(*Database::open(fixture->path));
            } catch (const StoreError &) {
            }
        }
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished();
        if (seen == 0 || child.exitStatus() != QProcess::CrashExit)
            QSKIP("the import ended before it could be killed in the middle");
        {
            Statement check(db->handle(), "PRAGMA integrity_check");
            QVERIFY(check.step());
            QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
        }
        const int kept = count(*db);
        QVERIFY2(kept > 0 && kept < deals, qPrintable(QString::number(kept)));

        const Outcome again = importDeals(fixture->path, {Form::Fixed, exportPath("ZEL_DB.DBF")});
        QVERIFY2(again.clean(), qPrintable(closingMessage({Form::Fixed, "x"}, again)));
        QCOMPARE(again.alreadyPresent, kept);
        QCOMPARE(again.imported, deals - kept);
        Statement distinct(db->handle(), "SELECT count(DISTINCT StkNbr), count(*) FROM ZEL");
        distinct.step();
        QCOMPARE(distinct.int64(0), qint64(deals));
        QCOMPARE(distinct.int64(1), qint64(deals));
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<int>("deals");
        QTest::newRow("without --yes")
            << QStringList{"ZEL_DB.DBF"} << 2 << ""
            << "volmera: import: nothing was imported from %1/ZEL_DB.DBF: the command line cannot "
               "ask \"ARE YOU SURE YOU WANT TO IMPORT!\"; run it again with --yes to import\n"
            << 0;
        QTest::newRow("refused deal")
            << QStringList{"ZEL_DB.DBF", "--yes"} << 1
            << "import %1/ZEL_DB.DBF (form 1)\ndeals imported: 2\nskipped as already present: 0\n"
               "not for import (stock number \"*\"): 1\nrefused: 1\n  record 5, stock D1: the "
               "sale date \"2024x301\" is not a date of the form YYYYMMDD\n"
            << "" << 2;
        QTest::newRow("form not told") << QStringList{"deals.txt", "--yes"} << 2 << ""
                                       << "volmera: import: the name of %1/deals.txt does not "
                                          "tell its form; give --form 1 or --form 2\n"
                                          "Run 'volmera --help' for usage.\n"
                                       << 0;
        QTest::newRow("form given")
            << QStringList{"deals.txt", "--form", "2", "--yes"} << 0
            << "import %1/deals.txt (form 2)\ndeals imported: 1\nskipped as already present: 0\n"
               "refused: 0\nthe file was deleted\n"
            << "" << 1;
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(int, deals);
        ExportFiles::write(exportPath("ZEL_DB.DBF"),
                           threeDeals() + ExportFiles::deal("2024x301", "BAD", "D1"));
        ExportFiles::write(exportPath("deals.txt"), ExportFiles::line("01/01/2024", "CLI", "T1"));
        const QString folder = fixture->dir.path();
        QProcess p;
        p.setWorkingDirectory(folder);
        p.start(QStringLiteral(VOLMERA_BIN),
                QStringList{"import"} + arguments + QStringList{"--data-dir", folder});
        QVERIFY(p.waitForFinished(60000));
        const auto withFolder = [&](const QString &text) {
            return QString(text).replace("%1", folder);
        };
        QCOMPARE(QString::fromLocal8Bit(p.readAllStandardError()), withFolder(err));
        QCOMPARE(QString::fromLocal8Bit(p.readAllStandardOutput()), withFolder(out));
        QCOMPARE(p.exitCode(), status);
        QCOMPARE(count(*db), deals);
    }
};

REGISTER_TEST(ImportTest);
#include "tst_import.moc"
