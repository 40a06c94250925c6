#include "TestRegistry.h"

#include "fixtures/CommandRun.h"
#include "fixtures/Files.h"
#include "fixtures/Golden.h"
#include "fixtures/StoreFixture.h"

#include <QSet>

namespace {
const QStringList shippedFiles = {"Letter1.TXT", "Letter2.TXT", "Letter3.TXT", "ZEL_HLP.RTF"};
} // namespace

// "volmera init": a data folder made ready without a window; what is there stays as it is.
class InitCommandTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
};

REGISTER_TEST(InitCommandTest);
#include "tst_init.moc"
