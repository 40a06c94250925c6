#include "TestRegistry.h"
#include "fixtures/StoreFixture.h"

#include <QFile>
#include <sys/stat.h>

Q_DECLARE_METATYPE(StoreError::Kind)

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
        const QList<FieldDef> fields = db->fields(DealSchema::Table);
        QCOMPARE(fields.size(), 46);
        QCOMPARE(fields, DealSchema::fields());
        QCOMPARE(fields[1].name, QStringLiteral("ByLName"));
        QCOMPARE(fields[1].size, 15);
        QVERIFY(!fields[1].allowZeroLength);
        QCOMPARE(fields[45].name, QStringLiteral("AdminFee"));
        QVERIFY(fields[45].allowZeroLength);
        QCOMPARE(db->indexes(DealSchema::Table), DealSchema::indexes());
    }

    void whatIsAtThePathIsLeftAlone_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("created");
        QTest::addColumn<QString>("opened"); // "" when it opens
        QTest::newRow("a file") << "file"
                                << "The database file %1 already exists."
                                << "The file %1 is not a deal database this program can read; it "
                                   "was left as it is.";
        QTest::newRow("a folder") << "folder"
                                  << "%1 is a folder, not a database file; it was left as it is."
                                  << "%1 is a folder, not a database file; it was left as it is.";
        QTest::newRow("a pipe") << "pipe"
                                << "%1 is not a plain file (a pipe or a device), so it cannot be a "
                                   "database file; it was left as it is."
                                << "%1 is not a plain file (a pipe or a device), so it cannot be a "
                                   "database file; it was left as it is.";
    }
    void whatIsAtThePathIsLeftAlone() {
        QFETCH(QString, what);
        QFETCH(QString, created);
        QFETCH(QString, opened);
        StoreFixture f;
        if (what == "file") {
            QFile file(f.path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("keep me, I am no database but long enough to be taken for one");
        } else if (what == "folder") {
            QVERIFY(QDir().mkpath(f.path));
        } else {
            QVERIFY(::mkfifo(QFile::encodeName(f.path).constData(), 0600) == 0);
        }
        const auto failure = [](const auto &step) {
            try {
                step();
            } catch (const StoreError &e) {
                return e.description();
            }
            return QString();
        };
        QCOMPARE(failure([&] { createDealDatabase(f.path); }), created.arg(f.path));
        QCOMPARE(failure([&] { Database::open(f.path); }), opened.arg(f.path));
        if (what == "file") {
            QFile file(f.path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(),
                     QByteArray("keep me, I am no database but long enough to be taken for one"));
        }
    }

    void refusals_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<StoreError::Kind>("kind");
        QTest::addColumn<bool>("server");
        for (const bool server : {false, true}) {
            const auto row = [server](const char *name) -> QTestData & {
                return QTest::addRow("%s: %s", server ? "server" : "file", name);
            };
            using K = StoreError::Kind;
            row("duplicate stock number")
                << "StkNbr" << QVariant("A1") << true << K::DuplicateKey << server;
            row("duplicate stock, other case")
                << "StkNbr" << QVariant("a1") << true << K::DuplicateKey << server;
            row("empty last name") << "ByLName" << QVariant("") << true << K::ZeroLength << server;
            row("empty stock number")
                << "StkNbr" << QVariant("") << true << K::ZeroLength << server;
            row("last name of 16")
                << "ByLName" << QVariant("ABCDEFGHIJKLMNOP") << true << K::TooLong << server;
            row("state of 9") << "ByStateZip" << QVariant("IL 606011") << true << K::TooLong
                              << server;
            // The engine would count the characters only up to the NUL.
            row("NUL and more than fits")
                << "ByLName" << QVariant(QStringLiteral("A") + QChar(0) + QString(20, u'B')) << true
                << K::BadValue << server;
            row("NUL in a text that fits")
                << "ByAdr" << QVariant(QStringLiteral("1") + QChar(0) + QStringLiteral("2")) << true
                << K::BadValue << server;
            row("date that is no date")
                << "DateSold" << QVariant("13/45/2020") << true << K::BadValue << server;
            row("empty first name") << "ByFirstMI" << QVariant("") << false << K::Other << server;
            row("empty admin fee") << "AdminFee" << QVariant("") << false << K::Other << server;
            row("last name of 15")
                << "ByLName" << QVariant("ABCDEFGHIJKLMNO") << false << K::Other << server;
            row("ascii quote kept")
                << "ByAdr" << QVariant("12 O'HARA; DROP") << false << K::Other << server;
        }
    }

    void refusals() {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(bool, refused);
        QFETCH(StoreError::Kind, kind);
        QFETCH(bool, server);
        if (server && !TestServer::available())
            QSKIP(TestServer::skipReason());
        StoreFixture f(server);
        auto db = f.fresh();
        auto rs = db->openRecordset(QStringLiteral("ZEL"));
        StoreFixture::addDeal(*rs, QStringLiteral("FIRST"), QStringLiteral("A1"));
        rs->addNew();
        rs->setField(QStringLiteral("ByLName"), QStringLiteral("SECOND"));
        rs->setField(QStringLiteral("StkNbr"), QStringLiteral("B2"));
        rs->setField(QStringLiteral("LNKey"), QStringLiteral("SECONDB2"));
        rs->setField(field, value);
        try {
            rs->update();
            QVERIFY2(!refused, "the store took a value it must refuse");
            rs->requery();
            rs->findFirst(QStringLiteral("StkNbr = 'B2'"));
            QVERIFY(!rs->noMatch());
            QCOMPARE(rs->field(field), value);
        } catch (const StoreError &e) {
            QVERIFY2(refused, qPrintable(e.description()));
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

    // Garbage only: a text file is kept by the start-up test.
    void unreadableFileIsLeftAlone() {
        const QByteArray content("\x01\x02\x03garbage");
        StoreFixture f;
        QFile file(f.path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        try {
            openDealDatabase(f.path);
            QFAIL("a file that is not a database was opened");
        } catch (const StoreError &e) {
            QCOMPARE(e.kind(), StoreError::Kind::NotADatabase);
        }
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content);
    }

    void foreignDatabaseIsNotTaken() {
        StoreFixture f;
        {
            auto db = Database::create(f.path);
            db->exec(QStringLiteral("CREATE TABLE other (x)"));
        }
        QVERIFY_THROWS_EXCEPTION(StoreError, openDealDatabase(f.path));
        QVERIFY(!Database::open(f.path)->hasTable(DealSchema::Table));
    }

    void cannotCreateInMissingFolder() {
        StoreFixture f;
        try {
            createDealDatabase(f.dir.filePath(QStringLiteral("no/such/folder/ZELDB.mdb")));
            QFAIL("created a database in a folder that is not there");
        } catch (const StoreError &e) {
            QCOMPARE(e.kind(), StoreError::Kind::CannotOpen);
        }
    }
};

REGISTER_TEST(SchemaTest);
#include "tst_schema.moc"
