#include "TestRegistry.h"
#include "fixtures/StoreFixture.h"
#include "store/Selection.h"

#include <QProcess>

Q_DECLARE_METATYPE(StoreError::Kind)

// Moving, finding, adding, changing and deleting through a record set, and the values the store
// refuses.
class RecordsetTest : public QObject {
    Q_OBJECT

    std::unique_ptr<StoreFixture> fixture;
    std::unique_ptr<Database> db;
    std::unique_ptr<Recordset> rs;

    QString stock() const { return rs->field(QStringLiteral("StkNbr")).toString(); }

    // The field's values from the current row to the end, "~" for none.
    static QStringList column(Recordset &selection, const QString &field) {
        QStringList values;
        for (; !selection.eof(); selection.moveNext())
            values << (selection.field(field).isNull() ? "~" : selection.field(field).toString());
        return values;
    }

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

    // The table browses in key order without regard to case; a selection puts deals without a
    // date first, and orders names by character code with the letters folded (a server's own
    // collation would put blanks and punctuation elsewhere, and "_" after the letters).
    void orders_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("more"); // the last names of deals added first
        QTest::addColumn<QStringList>("values");
        QTest::newRow("key order")
            << "ZEL"
            << "StkNbr" << QStringList() << QStringList{"Z9", "Q1", "B7", "A2"};
        QTest::newRow("sale dates, none first")
            << "SELECT *FROM ZEL ORDER BY DateSold, LNKey"
            << "DateSold" << QStringList()
            << QStringList{"~", "2023-01-02", "2024-03-07", "2024-12-31"};
        QTest::newRow("names by character code")
            << "SELECT *FROM ZEL ORDER BY ByLName"
            << "ByLName"
            << QStringList{"Müller", "OBrien", "de la Cruz", "_Under", "MUNOZ", "DeLaney", "O'Hara"}
            << QStringList{"_Under",  "adams",  "de la Cruz", "DeLaney", "MUNOZ",   "Müller",
                           "O'BRIEN", "O'Hara", "OBrien",     "SMITH",   "Smithers"};
    }
    void orders() {
        QFETCH(QString, source);
        QFETCH(QString, field);
        QFETCH(QStringList, more);
        QFETCH(QStringList, values);
        for (int i = 0; i < more.size(); ++i)
            StoreFixture::addDeal(*rs, more[i], QStringLiteral("N%1").arg(i));
        auto selection = db->openRecordset(source);
        QCOMPARE(column(*selection, field), values);
        // A report's copy of the selection, read as kept and sorted by the program, agrees.
        const QList<FieldDef> defs = db->fields(QStringLiteral("ZEL"));
        const int at = int(std::find_if(defs.begin(), defs.end(),
                                        [&](const FieldDef &f) { return f.name == field; }) -
                           defs.begin());
        const SelectionCopy copy(*db, source, {at});
        QStringList copied;
        for (qsizetype row = 0; row < copy.rows(); ++row)
            copied << (copy.isNull(row, at) ? QStringLiteral("~") : copy.view(row, at).toString());
        QCOMPARE(copied, values);
        QVERIFY_THROWS_EXCEPTION(StoreError, selection->moveNext());
        selection->moveLast();
        selection->movePrevious();
        QCOMPARE(selection->field(field).toString(), values[values.size() - 2]);
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

    void finds_data() {
        QTest::addColumn<QString>("from"); // the stock number of the row a find next starts at
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<QString>("found");
        const auto row = [](const char *name, const char *from, const QString &criteria,
                            const char *found) {
            QTest::newRow(name) << QString(from) << criteria << QString(found);
        };
        row("stock equal", "", "StkNbr = 'B7'", "B7");
        row("stock other case", "", "StkNbr = 'b7'", "B7");
        row("key after name", "", "LNKey > 'smi'", "B7");
        row("key past all", "", "LNKey > 'ZZZ'", "");
        row("quote doubled", "", findCriteria("ByLName", "=", "O'BRIEN"), "Q1");
        row("sql in value", "", findCriteria("StkNbr", "=", "x' OR '1'='1"), "");
        row("date", "", "DateSold = '12/31/2024'", "Z9");
        row("no match", "", "StkNbr = 'NONE'", "");
        // From a row that matches itself: the next one after it.
        row("next after a match", "Q1", "LNKey > 'O'", "B7");
        row("next, none after", "A2", "LNKey > 'O'", "");
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

    // An edit writes its own row only; yes/no and dates read back as such.
    void editWritesOnlyTheRow() {
        rs->findFirst("StkNbr = 'Q1'");
        rs->setField("ByCity", "SALEM");
        rs->setField("Delivered", true);
        rs->setField("DelDT", "03/09/2024");
        rs->update();
        auto other = db->openRecordset("SELECT *FROM ZEL ORDER BY StkNbr");
        other->findFirst("StkNbr = 'Q1'");
        QCOMPARE(other->field("ByCity").toString(), QStringLiteral("SALEM"));
        QCOMPARE(other->field("ByLName").toString(), QStringLiteral("O'BRIEN"));
        QCOMPARE(other->field("Delivered"), QVariant(true));
        QCOMPARE(other->field("DelDT").toDate(), QDate(2024, 3, 9));
        other->findFirst("StkNbr = 'B7'");
        QVERIFY(other->field("ByCity").isNull());
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

    // Each value the store refuses, of the kind it says; Other: the value is taken as it is. The
    // fresh table reads back its layout.
    void refusals_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<StoreError::Kind>("kind");
        using K = StoreError::Kind;
        const auto row = [](const char *name, const char *field, const QVariant &value, K kind) {
            QTest::newRow(name) << QString(field) << value << kind;
        };
        row("duplicate stock number", "StkNbr", "B7", K::DuplicateKey);
        row("duplicate stock, other case", "StkNbr", "b7", K::DuplicateKey);
        row("empty last name", "ByLName", "", K::ZeroLength);
        row("empty stock number", "StkNbr", "", K::ZeroLength);
        row("last name of 16", "ByLName", "ABCDEFGHIJKLMNOP", K::TooLong);
        row("state of 9", "ByStateZip", "IL 606011", K::TooLong);
        // The engine would count the characters only up to the NUL.
        row("NUL and more than fits", "ByLName", QStringLiteral("A") + QChar(0) + QString(20, u'B'),
            K::BadValue);
        row("NUL in a text that fits", "ByAdr",
            QStringLiteral("1") + QChar(0) + QStringLiteral("2"), K::BadValue);
        row("date that is no date", "DateSold", "13/45/2020", K::BadValue);
        row("empty first name", "ByFirstMI", "", K::Other);
        row("empty admin fee", "AdminFee", "", K::Other);
        row("last name of 15", "ByLName", "ABCDEFGHIJKLMNO", K::Other);
        row("ascii quote kept", "ByAdr", "12 O'HARA; DROP", K::Other);
    }
    void refusals() {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(StoreError::Kind, kind);
        QCOMPARE(db->fields(DealSchema::Table), DealSchema::fields());
        QCOMPARE(db->indexes(DealSchema::Table), DealSchema::indexes());
        try {
            StoreFixture::addDeal(*rs, "SECOND", "N1", {{field, value}});
            QVERIFY2(kind == StoreError::Kind::Other, "the store took a value it must refuse");
            rs->requery();
            rs->findFirst("StkNbr = 'N1'");
            QVERIFY(!rs->noMatch());
            QCOMPARE(rs->field(field), value);
        } catch (const StoreError &e) {
            QVERIFY2(kind != StoreError::Kind::Other, qPrintable(e.description()));
            QCOMPARE(e.kind(), kind);
            QVERIFY(!e.description().isEmpty());
            rs->requery();
            QCOMPARE(rs->recordCount(), 4);
        }
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
        const auto row = [](const char *name, bool otherConnection, const QString &sql,
                            const QStringList &added, bool committed, const QStringList &order) {
            QTest::newRow(name) << otherConnection << sql << added << committed << order;
        };
        const QString add = "INSERT INTO \"ZEL\" (\"LNKey\", \"ByLName\", \"StkNbr\") VALUES "
                            "('BAKER', 'BAKER', 'K5')";
        row("nothing changed", false, "", {}, true, {"Z9", "Q1", "B7", "A2"});
        row("another connection adds", true, add, {}, true, {"Z9", "K5", "Q1", "B7", "A2"});
        row("another connection deletes", true, "DELETE FROM \"ZEL\" WHERE \"StkNbr\" = 'Q1'", {},
            true, {"Z9", "B7", "A2"});
        row("this connection adds", false, add, {}, true, {"Z9", "K5", "Q1", "B7", "A2"});
        row("this connection renames", false,
            "UPDATE \"ZEL\" SET \"LNKey\" = 'ZZ' WHERE \"StkNbr\" = 'Z9'", {}, true,
            {"Q1", "B7", "A2", "Z9"});
        row("the record set adds", false, "", {"baker K6", "ADAMS A1", "Smith B6", "zz Z1"}, true,
            {"A1", "Z9", "K6", "Q1", "B6", "B7", "A2", "Z1"});
        row("the record set and another connection add", true, add, {"baker K6"}, true,
            {"Z9", "K5", "K6", "Q1", "B7", "A2"});
        row("the record set adds, this connection empties the table", false, "DELETE FROM \"ZEL\"",
            {"baker K6"}, true, {});
        row("the record set adds, rolled back", false, "", {"baker K6"}, false,
            {"Z9", "Q1", "B7", "A2"});
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
        QCOMPARE(column(*rs, "StkNbr"), order);
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
