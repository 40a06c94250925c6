#include "TestRegistry.h"
#include "fixtures/StoreFixture.h"

#include <QFile>
#include <sys/stat.h>

Q_DECLARE_METATYPE(StoreError::Kind)

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

// The deal table's layout, its upgrade, and the values the store refuses.
class SchemaTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newDatabaseReadsBackItsLayout_data() { engineRows(); }
    void newDatabaseReadsBackItsLayout() {
        QFETCH(bool, server);
        if (server && !TestServer::available())
            QSKIP(TestServer::skipReason());
        StoreFixture f(server);
        auto db = f.fresh();
        QCOMPARE(db->fields(DealSchema::Table), DealSchema::fields());
        QCOMPARE(db->indexes(DealSchema::Table), DealSchema::indexes());
    }

    // Whatever is at the path and is not a deal database stays as it is: making a database
    // there and opening it are refused, saying why.
    void whatIsAtThePathIsLeftAlone_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("created");
        QTest::addColumn<QString>("opened");
        const QString exists = "The database file %1 already exists.";
        const QString notOurs =
            "The file %1 is not a deal database this program can read; it was left as it is.";
        const QString folder = "%1 is a folder, not a database file; it was left as it is.";
        const QString pipe = "%1 is not a plain file (a pipe or a device), so it cannot be a "
                             "database file; it was left as it is.";
        QTest::newRow("a text file") << "text" << exists << notOurs;
        QTest::newRow("a file of other bytes") << "bytes" << exists << notOurs;
        QTest::newRow("another program's database")
            << "foreign" << exists
            << "The file %1 is not a deal database (it has no table ZEL); it was left as it is.";
        QTest::newRow("a folder") << "folder" << folder << folder;
        QTest::newRow("a pipe") << "pipe" << pipe << pipe;
        QTest::newRow("no such folder") << "missing"
                                        << "Cannot open or create the database file %1."
                                        << "The database file %1 is not there.";
    }
    void whatIsAtThePathIsLeftAlone() {
        QFETCH(QString, what);
        QFETCH(QString, created);
        QFETCH(QString, opened);
        StoreFixture f;
        const QString path =
            what == "missing" ? f.dir.filePath("no/such/folder/ZELDB.mdb") : f.path;
        QFile file(path);
        if (what == "text" || what == "bytes") {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(what == "text"
                           ? "keep me, I am no database but long enough to be taken for one"
                           : "\x01\x02\x03garbage");
            file.close();
        } else if (what == "foreign") {
            Database::create(path)->exec(QStringLiteral("CREATE TABLE other (x)"));
        } else if (what == "folder") {
            QVERIFY(QDir().mkpath(path));
        } else if (what == "pipe") {
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        }
        const auto bytes = [&] {
            return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll()
                                                                              : QByteArray();
        };
        const QByteArray before = bytes();
        file.close();
        QCOMPARE(refusal([&] { createDealDatabase(path); }), created.arg(path));
        QCOMPARE(refusal([&] { openDealDatabase(path); }), opened.arg(path));
        QCOMPARE(bytes(), before);
    }

    // Each value the store refuses, of the kind it says; Other: the value is taken as it is.
    void refusals_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<StoreError::Kind>("kind");
        QTest::addColumn<bool>("server");
        using K = StoreError::Kind;
        for (const bool server : {false, true}) {
            const auto row = [server](const char *name, const char *field, const QVariant &value,
                                      K kind) {
                QTest::addRow("%s: %s", server ? "server" : "file", name)
                    << QString(field) << value << kind << server;
            };
            row("duplicate stock number", "StkNbr", "A1", K::DuplicateKey);
            row("duplicate stock, other case", "StkNbr", "a1", K::DuplicateKey);
            row("empty last name", "ByLName", "", K::ZeroLength);
            row("empty stock number", "StkNbr", "", K::ZeroLength);
            row("last name of 16", "ByLName", "ABCDEFGHIJKLMNOP", K::TooLong);
            row("state of 9", "ByStateZip", "IL 606011", K::TooLong);
            // The engine would count the characters only up to the NUL.
            row("NUL and more than fits", "ByLName",
                QStringLiteral("A") + QChar(0) + QString(20, u'B'), K::BadValue);
            row("NUL in a text that fits", "ByAdr",
                QStringLiteral("1") + QChar(0) + QStringLiteral("2"), K::BadValue);
            row("date that is no date", "DateSold", "13/45/2020", K::BadValue);
            row("empty first name", "ByFirstMI", "", K::Other);
            row("empty admin fee", "AdminFee", "", K::Other);
            row("last name of 15", "ByLName", "ABCDEFGHIJKLMNO", K::Other);
            row("ascii quote kept", "ByAdr", "12 O'HARA; DROP", K::Other);
        }
    }

    void refusals() {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(StoreError::Kind, kind);
        QFETCH(bool, server);
        if (server && !TestServer::available())
            QSKIP(TestServer::skipReason());
        StoreFixture f(server);
        auto db = f.fresh();
        auto rs = db->openRecordset(QStringLiteral("ZEL"));
        StoreFixture::addDeal(*rs, QStringLiteral("FIRST"), QStringLiteral("A1"));
        try {
            StoreFixture::addDeal(*rs, QStringLiteral("SECOND"), QStringLiteral("B2"),
                                  {{field, value}});
            QVERIFY2(kind == StoreError::Kind::Other, "the store took a value it must refuse");
            rs->requery();
            rs->findFirst(QStringLiteral("StkNbr = 'B2'"));
            QVERIFY(!rs->noMatch());
            QCOMPARE(rs->field(field), value);
        } catch (const StoreError &e) {
            QVERIFY2(kind != StoreError::Kind::Other, qPrintable(e.description()));
            QCOMPARE(e.kind(), kind);
            QVERIFY(!e.description().isEmpty());
            rs->requery();
            QCOMPARE(rs->recordCount(), 1);
        }
    }

    // The server ends the connection (a restart, a network cut) in the middle of a write.
    void lostConnectionStoresNothingHalfWay() {
        if (!TestServer::available())
            QSKIP(TestServer::skipReason());
        StoreFixture f(true);
        auto db = f.fresh();
        auto rs = db->openRecordset(QStringLiteral("ZEL"));
        const auto cut = [&] {
            Database::open(f.address)->exec(
                "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = "
                "current_database() AND pid <> pg_backend_pid()");
        };
        QString said;
        try {
            Transaction t(*db);
            StoreFixture::addDeal(*rs, QStringLiteral("HALF"), QStringLiteral("H1"));
            cut();
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
        const QList<FieldDef> fields = db->fields(DealSchema::Table);
        QCOMPARE(fields.size(), 46);
        for (int i = 0; i < 46; ++i)
            QCOMPARE(fields[i].name, DealSchema::fields()[i].name);
        // An upgraded admin fee does not take the zero-length text; a new one does.
        QCOMPARE(fields[45].allowZeroLength, outcome != int(OpenOutcome::Upgraded));
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
