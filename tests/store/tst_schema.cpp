#include "TestRegistry.h"
#include "fixtures/Files.h"
#include "fixtures/GoldenRows.h"
#include "fixtures/StoreFixture.h"

#include <sys/stat.h>

namespace {
// What the store said when it refused the step; empty when it took it.
template <class Step> QString refusal(const Step &step) {
    try {
        step();
    } catch (const StoreError &e) {
        return e.description();
    }
    return QString();
}
} // namespace

// The deal table's layout and its upgrade, what is at its path, and a lost connection.
class SchemaTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
        QString said;
        try {
            Transaction t(*db);
            StoreFixture::addDeal(*rs, QStringLiteral("HALF"), QStringLiteral("H1"));
            Database::open(f.address)->exec(
                "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = "
                "current_database() AND pid <> pg_backend_pid()");
            StoreFixture::addDeal(*rs, QStringLiteral("HALF"), QStringLiteral("H2"));
            t.commit();
        } catch (const StoreError &e) {
            said = e.description();
        }
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

REGISTER_TEST(SchemaTest);
#include "tst_schema.moc"
