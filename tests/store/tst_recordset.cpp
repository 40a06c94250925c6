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
    void initTestCase_data() { engineRows(); }

    void init() {
        ENGINE_ROW(server);
        fixture = std::make_unique<StoreFixture>(server);
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

    void namesOrderByCharacterCodeWithLettersFolded() {
        // Blanks, punctuation and letters beyond A to Z go by their code: a server's own
        // collation would put them elsewhere, and "_" sorts before the letters, not after.
        const QStringList more = {"Müller", "OBrien",  "de la Cruz", "_Under",
                                  "MUNOZ",  "DeLaney", "O'Hara"};
        for (int i = 0; i < more.size(); ++i)
            StoreFixture::addDeal(*rs, more[i], QStringLiteral("N%1").arg(i));
        auto byName = db->openRecordset(QStringLiteral("SELECT *FROM ZEL ORDER BY ByLName"));
        QStringList order;
        for (; !byName->eof(); byName->moveNext())
            order << byName->field(QStringLiteral("ByLName")).toString();
        QCOMPARE(order, (QStringList{"_Under", "adams", "de la Cruz", "DeLaney", "MUNOZ", "Müller",
                                     "O'BRIEN", "O'Hara", "OBrien", "SMITH", "Smithers"}));
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
    // requery, and deals added through the record set ("LAST STOCK", committed or rolled back)
    // take their places in the key order.
    void requerySeesChanges_data() {
        QTest::addColumn<bool>("otherConnection");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<bool>("committed");
        QTest::addColumn<QStringList>("order");
        const QString add = "INSERT INTO \"ZEL\" (\"LNKey\", \"ByLName\", \"StkNbr\") VALUES "
                            "('BAKER', 'BAKER', 'K5')";
        QTest::newRow("nothing changed")
            << false << QString() << QStringList() << true << QStringList{"Z9", "Q1", "B7", "A2"};
        QTest::newRow("another connection adds")
            << true << add << QStringList() << true << QStringList{"Z9", "K5", "Q1", "B7", "A2"};
        QTest::newRow("another connection deletes")
            << true << "DELETE FROM \"ZEL\" WHERE \"StkNbr\" = 'Q1'" << QStringList() << true
            << QStringList{"Z9", "B7", "A2"};
        QTest::newRow("this connection adds")
            << false << add << QStringList() << true << QStringList{"Z9", "K5", "Q1", "B7", "A2"};
        QTest::newRow("this connection renames")
            << false << "UPDATE \"ZEL\" SET \"LNKey\" = 'ZZ' WHERE \"StkNbr\" = 'Z9'"
            << QStringList() << true << QStringList{"Q1", "B7", "A2", "Z9"};
        QTest::newRow("the record set adds")
            << false << QString() << QStringList{"baker K6", "ADAMS A1", "Smith B6", "zz Z1"}
            << true << QStringList{"A1", "Z9", "K6", "Q1", "B6", "B7", "A2", "Z1"};
        QTest::newRow("the record set and another connection add")
            << true << add << QStringList{"baker K6"} << true
            << QStringList{"Z9", "K5", "K6", "Q1", "B7", "A2"};
        QTest::newRow("the record set adds, this connection empties the table")
            << false << "DELETE FROM \"ZEL\"" << QStringList{"baker K6"} << true << QStringList();
        QTest::newRow("the record set adds, rolled back")
            << false << QString() << QStringList{"baker K6"} << false
            << QStringList{"Z9", "Q1", "B7", "A2"};
    }
    void requerySeesChanges() {
        QFETCH(bool, otherConnection);
        QFETCH(QString, sql);
        QFETCH(QStringList, added);
        QFETCH(bool, committed);
        QFETCH(QStringList, order);
        rs->requery();
        {
            Transaction t(*db);
            for (const QString &deal : added)
                StoreFixture::addDeal(*rs, deal.section(u' ', 0, 0), deal.section(u' ', 1));
            if (committed)
                t.commit();
        }
        if (!sql.isEmpty())
            (otherConnection ? *Database::open(fixture->address) : *db).exec(sql);
        rs->requery();
        QStringList found;
        for (; !rs->eof(); rs->moveNext())
            found << stock();
        QCOMPARE(found, order);
    }

    void fourProcessesAddingAtOnceLoseNothing() {
        QFETCH_GLOBAL(bool, server);
        // Each deal its own transaction: the writers take turns deal by deal.
        const int each = server ? 500 : 150;
        const QStringList target = server ? QStringList{"--database", fixture->address.connection()}
                                          : QStringList{"--out", fixture->path};
        std::vector<std::unique_ptr<QProcess>> writers;
        for (const QString prefix : {"PX", "QX", "RX", "SX"}) {
            writers.push_back(std::make_unique<QProcess>());
            writers.back()->start(QStringLiteral(VOLMERA_GEN),
                                  target + QStringList{"--count", QString::number(each), "--batch",
                                                       "1", "--stock-prefix", prefix, "--seed",
                                                       QString::number(writers.size())});
        }
        for (auto &w : writers) {
            QVERIFY(w->waitForFinished(180000));
            QVERIFY2(w->exitCode() == 0, w->readAllStandardError().constData());
        }
        rs->requery();
        QCOMPARE(rs->recordCount(), 4 + 4 * each);
        for (const QString prefix : {"PX", "QX", "RX", "SX"}) {
            rs->findFirst(findCriteria("StkNbr", "=", prefix + QString::number(each)));
            QVERIFY2(!rs->noMatch(), qPrintable(prefix));
        }
    }
};

REGISTER_TEST(RecordsetTest);
#include "tst_recordset.moc"
