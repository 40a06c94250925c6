#include "TestRegistry.h"
#include "fixtures/StoreFixture.h"

#include <QProcess>

// Moving, finding, adding, changing and deleting through a record set.
class RecordsetTest : public QObject {
    Q_OBJECT

    std::unique_ptr<StoreFixture> fixture;
    std::unique_ptr<Database> db;
    std::unique_ptr<Recordset> rs;

    QString stock() const { return rs->field(QStringLiteral("StkNbr")).toString(); }

private Q_SLOTS:
    void init() {
        fixture = std::make_unique<StoreFixture>();
        db = fixture->fresh();
        rs = db->openRecordset(QStringLiteral("ZEL"));
        StoreFixture::addDeal(*rs, "SMITH", "B7", {{"DateSold", QDate(2024, 3, 7)}});
        StoreFixture::addDeal(*rs, "O'BRIEN", "Q1", {{"DateSold", QDate(2023, 1, 2)}});
        StoreFixture::addDeal(*rs, "adams", "Z9", {{"DateSold", QDate(2024, 12, 31)}});
        StoreFixture::addDeal(*rs, "Smithers", "A2");
        rs->requery();
    }

    void cleanup() {
        rs.reset();
        db.reset();
        fixture.reset();
    }

    void browsesInKeyOrderWithoutRegardToCase() {
        QStringList order;
        for (rs->moveFirst(); !rs->eof(); rs->moveNext())
            order << stock();
        QCOMPARE(order, (QStringList{"Z9", "Q1", "B7", "A2"}));
        QVERIFY_THROWS_EXCEPTION(StoreError, rs->moveNext());
        rs->moveLast();
        rs->movePrevious();
        QCOMPARE(stock(), QStringLiteral("B7"));
    }

    void emptySelectionRefusesMoves() {
        auto empty = db->openRecordset(QStringLiteral("SELECT *FROM ZEL ORDER BY DateSold"));
        while (!empty->eof()) {
            empty->deleteCurrent();
            empty->moveNext();
        }
        empty->requery();
        QVERIFY(empty->eof() && empty->bof());
        QVERIFY_THROWS_EXCEPTION(StoreError, empty->moveFirst());
        QVERIFY_THROWS_EXCEPTION(StoreError, empty->field("StkNbr"));
    }

    void orderedSelectionPutsNullDatesFirst() {
        auto byDate =
            db->openRecordset(QStringLiteral("SELECT *FROM ZEL ORDER BY DateSold, LNKey"));
        QStringList order;
        for (; !byDate->eof(); byDate->moveNext())
            order << byDate->field("StkNbr").toString();
        QCOMPARE(order, (QStringList{"A2", "Q1", "B7", "Z9"}));
        byDate->moveFirst();
        QVERIFY(byDate->field("DateSold").isNull());
        byDate->moveNext();
        QCOMPARE(byDate->field("DateSold").toDate(), QDate(2023, 1, 2));
    }

    void finds_data() {
        QTest::addColumn<QString>("from"); // the stock number of the row a find next starts at
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<QString>("found");
        QTest::newRow("stock equal") << ""
                                     << "StkNbr = 'B7'"
                                     << "B7";
        QTest::newRow("stock other case") << ""
                                          << "StkNbr = 'b7'"
                                          << "B7";
        QTest::newRow("key after name") << ""
                                        << "LNKey > 'smi'"
                                        << "B7";
        QTest::newRow("key past all") << ""
                                      << "LNKey > 'ZZZ'"
                                      << "";
        QTest::newRow("quote doubled") << "" << findCriteria("ByLName", "=", "O'BRIEN") << "Q1";
        QTest::newRow("sql in value") << "" << findCriteria("StkNbr", "=", "x' OR '1'='1") << "";
        QTest::newRow("date") << ""
                              << "DateSold = '12/31/2024'"
                              << "Z9";
        QTest::newRow("no match") << ""
                                  << "StkNbr = 'NONE'"
                                  << "";
        // From a row that matches itself: the next one after it.
        QTest::newRow("next after a match") << "Q1"
                                            << "LNKey > 'O'"
                                            << "B7";
        QTest::newRow("next, none after") << "A2"
                                          << "LNKey > 'O'"
                                          << "";
    }

    void finds() {
        QFETCH(QString, from);
        QFETCH(QString, criteria);
        QFETCH(QString, found);
        rs->requery();
        if (!from.isEmpty()) {
            rs->findFirst(findCriteria("StkNbr", "=", from));
            rs->findNext(criteria);
        } else {
            rs->findFirst(criteria);
        }
        QCOMPARE(rs->noMatch(), found.isEmpty());
        // Without a match the current row stays where it was.
        QCOMPARE(stock(), !found.isEmpty() ? found : from.isEmpty() ? QStringLiteral("Z9") : from);
    }

    void brokenCriteriaIsAnError() {
        QVERIFY_THROWS_EXCEPTION(StoreError, rs->findFirst("LNKey = 'O'BRIEN'"));
        QVERIFY_THROWS_EXCEPTION(StoreError, rs->findFirst("NoField = 'A'"));
    }

    void editWritesOnlyTheRow() {
        rs->findFirst("StkNbr = 'Q1'");
        rs->setField("ByCity", "SALEM");
        rs->update();
        rs->requery();
        rs->findFirst("StkNbr = 'Q1'");
        QCOMPARE(rs->field("ByCity").toString(), QStringLiteral("SALEM"));
        QCOMPARE(rs->field("ByLName").toString(), QStringLiteral("O'BRIEN"));
        rs->findFirst("StkNbr = 'B7'");
        QVERIFY(rs->field("ByCity").isNull());
    }

    void deleteMovesOnToTheNext() {
        rs->findFirst("StkNbr = 'Q1'");
        rs->deleteCurrent();
        QVERIFY_THROWS_EXCEPTION(StoreError, rs->field("StkNbr"));
        rs->moveNext();
        QCOMPARE(stock(), QStringLiteral("B7"));
        rs->moveLast();
        rs->deleteCurrent();
        rs->moveNext();
        QVERIFY(rs->eof());
        rs->moveLast();
        QCOMPARE(stock(), QStringLiteral("B7"));
        QCOMPARE(rs->recordCount(), 2);
    }

    void yesNoAndDatesRoundTrip() {
        rs->findFirst("StkNbr = 'A2'");
        rs->setField("Delivered", true);
        rs->setField("DelDT", "03/09/2024");
        rs->update();
        auto other = db->openRecordset("SELECT *FROM ZEL ORDER BY StkNbr");
        QCOMPARE(other->field("Delivered"), QVariant(true));
        QCOMPARE(other->field("DelDT").toDate(), QDate(2024, 3, 9));
    }

    // The selection is kept while nothing changed; each kind of change is seen by the next
    // requery.
    void requerySeesChanges_data() {
        QTest::addColumn<bool>("otherConnection");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("order");
        const QString add =
            "INSERT INTO ZEL (LNKey, ByLName, StkNbr) VALUES ('BAKER', 'BAKER', 'K5')";
        QTest::newRow("nothing changed")
            << false << QString() << QStringList{"Z9", "Q1", "B7", "A2"};
        QTest::newRow("another connection adds")
            << true << add << QStringList{"Z9", "K5", "Q1", "B7", "A2"};
        QTest::newRow("another connection deletes")
            << true << "DELETE FROM ZEL WHERE StkNbr = 'Q1'" << QStringList{"Z9", "B7", "A2"};
        QTest::newRow("this connection adds")
            << false << add << QStringList{"Z9", "K5", "Q1", "B7", "A2"};
        QTest::newRow("this connection renames")
            << false << "UPDATE ZEL SET LNKey = 'ZZ' WHERE StkNbr = 'Z9'"
            << QStringList{"Q1", "B7", "A2", "Z9"};
    }
    void requerySeesChanges() {
        QFETCH(bool, otherConnection);
        QFETCH(QString, sql);
        QFETCH(QStringList, order);
        rs->requery();
        if (!sql.isEmpty())
            (otherConnection ? *Database::open(fixture->path) : *db).exec(sql);
        rs->requery();
        QStringList found;
        for (; !rs->eof(); rs->moveNext())
            found << stock();
        QCOMPARE(found, order);
    }

    void twoProcessesAddingAtOnceLoseNothing() {
        QProcess a, b;
        const QStringList common = {"--out", fixture->path, "--count", "300", "--batch", "1"};
        a.start(QStringLiteral(VOLMERA_GEN),
                common + QStringList{"--stock-prefix", "PX", "--seed", "3"});
        b.start(QStringLiteral(VOLMERA_GEN),
                common + QStringList{"--stock-prefix", "QX", "--seed", "4"});
        QVERIFY(a.waitForFinished(120000));
        QVERIFY(b.waitForFinished(120000));
        QVERIFY2(a.exitCode() == 0, a.readAllStandardError().constData());
        QVERIFY2(b.exitCode() == 0, b.readAllStandardError().constData());
        QCOMPARE(b.exitCode(), 0);
        rs->requery();
        QCOMPARE(rs->recordCount(), 4 + 600);
        rs->findFirst("StkNbr = 'PX300'");
        QVERIFY(!rs->noMatch());
        rs->findFirst("StkNbr = 'QX300'");
        QVERIFY(!rs->noMatch());
    }
};

REGISTER_TEST(RecordsetTest);
#include "tst_recordset.moc"
