#include "TestRegistry.h"

#include "fixtures/CommandRun.h"
#include "fixtures/Files.h"
#include "fixtures/GoldenRows.h"
#include "fixtures/StoreFixture.h"

#include "cli/OutputWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

namespace {
const QStringList shippedFiles = {"Letter1.TXT", "Letter2.TXT", "Letter3.TXT", "ZEL_HLP.RTF"};
} // namespace

// The commands that work in a data folder besides "volmera report": "volmera init" makes one
// ready without a window, leaving what is there as it is; "volmera sheet" and "volmera letter"
// write from a small table. And the numbers of the report's JSON rows, written one by one: each
// must read exactly as QJsonDocument writes it, whole amounts of eight digits and more included.
class CommandsTest : public QObject {
    Q_OBJECT

    QTemporaryDir office; // the small table's folder

private Q_SLOTS:
    void initTestCase() {
        createDealDatabase(office.filePath("ZELDB.mdb"));
        auto db = Database::open(office.filePath("ZELDB.mdb"));
        auto rs = db->openRecordset("ZEL");
        // clang-format off
        StoreFixture::addDeal(*rs, "SMITH", "A1234", {{"ByFirstMI", "JOHN Q"},
            {"ByAdr", "123 MAIN ST"}, {"ByCity", "PORTLAND"}, {"ByStateZip", "OR 97201"},
            {"DateSold", QDate(2001, 3, 5)}, {"NewUsed", "N"}, {"Year", "2001"}, {"Make", "FORD"},
            {"Model", "TAURUS"}, {"Salesman", "BOB JONES"}, {"UnitPrft", "1200.00"},
            {"SmComm1", "150"}, {"FinRes", "450.00"}, {"SrvRes", "300"}, {"PrftAmt1", "200"},
            {"Pack", "300"}});
        StoreFixture::addDeal(*rs, "BROWN", "B7", {{"ByFirstMI", "ANN"},
            {"DateSold", QDate(2001, 3, 10)}, {"NewUsed", "U"}, {"Salesman", "ANN LEE"}});
        // clang-format on
        QVERIFY(writeFile(office.filePath("ZEL.CFG"), "\"ACME MOTORS\",\"\",\"False\"\r\n"));
        QVERIFY(writeFile(office.filePath("Letter1.TXT"),
                          "Thank you for your new *V today.\r\nVisit us again.\r\n"));
    }

    // What each writes is cli/ROW.txt. The sheet's totals are those the entry screen would show
    // for the deal; a letter's conditions choose the list the line is picked from, and it offers
    // what the letters screen offers (no F&I manager).
    void output_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("sheet-A1234") << QStringList{"sheet", "A1234"};
        QTest::newRow("letter-1") << QStringList{"letter", "--pick", "1", "--today", "03/10/2001"};
        QTest::newRow("letter-1-used")
            << QStringList{"letter", "--pick", "1", "--vehicle", "used", "--today", "03/10/2001"};
        QTest::newRow("letter-help") << QStringList{"letter", "--help"};
    }
    void output() {
        QFETCH(QStringList, arguments);
        const CommandRun r = runIn(office.path(), arguments);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, goldenText(QStringLiteral("cli/%1.txt").arg(QTest::currentDataTag())));
    }

    // What each says on standard error is in cli/printcommand-refusals.txt.
    void refusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("sheet without a stock number") << QStringList{"sheet"} << 2;
        QTest::newRow("sheet of an unknown stock number") << QStringList{"sheet", "ZZ9"} << 1;
        QTest::newRow("letter without a pick") << QStringList{"letter"} << 2;
        QTest::newRow("letter pick past the list") << QStringList{"letter", "--pick", "3"} << 1;
        QTest::newRow("letter with another report's condition")
            << QStringList{"letter", "--pick", "1", "--fi-mgr", "AB"} << 2;
        QTest::newRow("letter without its template")
            << QStringList{"letter", "--letter", "2", "--pick", "1"} << 1;
    }
    void refusals() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        const CommandRun r = runIn(office.path(), arguments);
        QCOMPARE(r.status, status);
        QCOMPARE(r.err, goldenRows("cli/printcommand-refusals.txt").join('\n') + '\n');
        QVERIFY(r.out.isEmpty());
    }

    // What it says is cli/init-ROW.txt: on standard output after a first line that names the
    // folders when it succeeds, else on standard error.
    void prepares_data() {
        QTest::addColumn<QByteArray>("settings"); // ZEL.CFG already there; empty for none
        QTest::addColumn<int>("deals");           // deals already stored; -1 for no database
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("dealsAfter"); // -1 for no database
        QTest::newRow("fresh") << QByteArray() << -1 << QStringList() << 0 << 0;
        QTest::newRow("settings-kept-sample-added")
            << QByteArray("\"ACE MOTORS\",\"R\",\"True\"\r\n") << 0
            << QStringList{"--sample", "250"} << 0 << 250;
        QTest::newRow("sample-refused-on-deals")
            << QByteArray() << 2 << QStringList{"--sample", "5"} << 1 << 2;
        QTest::newRow("sample-not-a-number")
            << QByteArray() << -1 << QStringList{"--sample", "lots"} << 2 << -1;
    }

    void prepares() {
        QFETCH(QByteArray, settings);
        QFETCH(int, deals);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(int, dealsAfter);
        QTemporaryDir dir;
        const QString folder = dir.filePath("office/data"); // made by init when missing
        if (!settings.isEmpty() || deals >= 0)
            QVERIFY(QDir().mkpath(folder));
        if (!settings.isEmpty())
            QVERIFY(writeFile(folder + "/ZEL.CFG", settings));
        if (deals >= 0) {
            createDealDatabase(folder + "/ZELDB.mdb");
            StoreFixture::addDeals(folder + "/ZELDB.mdb", deals, QDate(2024, 1, 2));
        }

        const CommandRun r = runIn(folder, QStringList{"init"} + arguments);
        const bool done = status == 0;
        const QString said =
            goldenText(QStringLiteral("cli/init-%1.txt").arg(QTest::currentDataTag()))
                .replace("%1", folder);
        QCOMPARE(r.err, done ? QString() : said);
        QCOMPARE(r.status, status);
        const QString heading = QStringLiteral("Data folder %1 (shipped files from %2)\n")
                                    .arg(folder, QDir::cleanPath(VOLMERA_RESOURCES));
        QCOMPARE(r.out, done ? QString(heading + said) : QString());

        QCOMPARE(readFile(folder + "/ZEL.CFG"),
                 !settings.isEmpty() ? settings
                 : done ? QByteArray("\"DEALER NAME NOT SET (CTRL+SHIFT+S)\",\"\",\"False\"\r\n")
                        : QByteArray());
        for (const QString &name : shippedFiles)
            QCOMPARE(readFile(folder + "/" + name),
                     done ? readFile(VOLMERA_RESOURCES "/" + name) : QByteArray());
        if (dealsAfter < 0)
            QVERIFY(!QFile::exists(folder + "/ZELDB.mdb"));
        else
            QCOMPARE(Database::open(folder + "/ZELDB.mdb")->openRecordset("ZEL")->recordCount(),
                     dealsAfter);
    }

    // The generated deals look like a real office's: one salesperson typed in several letter
    // cases, shared and ASM names, fleet deals with seven whole digits.
    void sampleDealsMixLetterCase() {
        QTemporaryDir dir;
        QCOMPARE(runIn(dir.path(), {"init", "--sample", "2000"}).status, 0);
        auto db = Database::open(dir.filePath("ZELDB.mdb"));
        auto rs = db->openRecordset("ZEL");
        QSet<QString> keys, spellings;
        int asmNamed = 0, sevenDigits = 0;
        for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
            const QString salesman = rs->field("Salesman").toString();
            const QString key = salesman.section('/', 0, 0);
            keys << key.toUpper();
            spellings << key;
            asmNamed += salesman.count('/') == 2;
            sevenDigits += rs->field("AmountFin").toString().section('.', 0, 0).size() == 7;
        }
        QCOMPARE(keys.size(), 41); // 40 salespeople and the deals without one
        QVERIFY(spellings.contains("ADAMS") && spellings.contains("adams") &&
                spellings.contains("Adams"));
        QCOMPARE(asmNamed, 73);
        QCOMPARE(sevenDigits, 5);
    }

    void jsonNumber_data() {
        QTest::addColumn<double>("number");
        for (double n : {0.0, -0.0, 3.0, -2.5, 0.1, 1234567.89, 10000000.0, -10000000.0, 10000000.5,
                         99999999.99, 1e15, 9007199254740992.0, 9007199254740994.0, 1e16, 1e21,
                         1e-7, 0.01, 0.0006})
            QTest::newRow(QByteArray::number(n, 'g', 17).constData()) << n;
    }
    void jsonNumber() {
        QFETCH(double, number);
        QByteArray got;
        OutputWriter::appendJsonNumber(got, number);
        const QByteArray general = QJsonDocument(QJsonArray{number}).toJson(QJsonDocument::Compact);
        QCOMPARE(got, general.mid(1, general.size() - 2));
    }

    // Texts go out eight characters at a time: one character that is not plain, at either end
    // of such a stretch or in what follows, is written as QJsonDocument and toUtf8 write it.
    void strings_data() {
        QTest::addColumn<QString>("text");
        for (const QChar odd : {QChar(u'"'), QChar(u'\\'), QChar(u'\n'), QChar(0x1F), QChar(0x7F),
                                QChar(u'é'), QChar(0x20AC), QChar(0xFF22)}) {
            for (const int at : {0, 7, 8, 15, 16, 20}) {
                QString text(21, u'a');
                text[at] = odd;
                QTest::addRow("U+%04X at %d", odd.unicode(), at) << text;
            }
        }
        for (const int length : {0, 1, 7, 8, 9, 17})
            QTest::addRow("plain %d", length) << QString(length, u'~');
    }
    void strings() {
        QFETCH(QString, text);
        QByteArray json, plain;
        OutputWriter::appendJsonString(json, text);
        OutputWriter::appendText(plain, text);
        const QByteArray general = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
        QCOMPARE(json, general.mid(1, general.size() - 2));
        QCOMPARE(plain, text.toUtf8());
    }
};

REGISTER_TEST(CommandsTest);
#include "tst_commands.moc"
