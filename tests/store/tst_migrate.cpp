#include "TestRegistry.h"
#include "fixtures/StoreFixture.h"

#include "store/Migrate.h"

namespace {
// Each deal as its stock, last name, sale date and delivered flag, in the table's order.
QStringList deals(const DatabaseAddress &database) {
    auto db = Database::open(database);
    Statement s(*db, QStringLiteral("SELECT \"StkNbr\", \"ByLName\", \"DateSold\", \"Delivered\" "
                                    "FROM \"ZEL\" ORDER BY rowid"));
    QStringList out;
    while (s.step())
        out << QStringLiteral("%1|%2|%3|%4")
                   .arg(s.value(0).toString(), s.value(1).toString(), s.value(2).toString(),
                        s.value(3).toString());
    return out;
}
} // namespace

// Moving the file's deals to a server: all of them, in their order, or none.
class MigrateTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        if (!TestServer::available())
            QSKIP(TestServer::skipReason());
    }

    void movesEveryDealOnceIntoAnEmptyTable_data() {
        QTest::addColumn<bool>("held");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("empty server") << false << "";
        QTest::newRow("server holds a deal")
            << true
            << "The deal table on the server (%1) already holds 1 deal(s): nothing was copied. "
               "Deals are moved only into an empty table.";
    }
    void movesEveryDealOnceIntoAnEmptyTable() {
        QFETCH(bool, held);
        QFETCH(QString, refusal);
        StoreFixture file, server(true);
        {
            auto db = file.fresh();
            auto rs = db->openRecordset("ZEL");
            StoreFixture::addDeal(*rs, "smith", "B2",
                                  {{"DateSold", QDate(2024, 3, 7)}, {"Delivered", true}});
            StoreFixture::addDeal(*rs, "O'Hara", "A1");
            StoreFixture::addDeal(*rs, "Müller", "C3", {{"DateSold", QDate(1999, 12, 31)}});
        }
        auto target = server.fresh();
        if (held)
            StoreFixture::addDeal(*target->openRecordset("ZEL"), "THERE", "T1");
        const QStringList before = deals(server.address);
        QString refused;
        try {
            QCOMPARE(DealMigration::copyDeals(file.path, server.address), 3);
        } catch (const VolmeraError &e) {
            refused = e.description();
        }
        QCOMPARE(refused, held ? refusal.arg(server.address.describe()) : QString());
        QCOMPARE(deals(server.address), held ? before : deals(file.path));
    }
};

REGISTER_TEST(MigrateTest);
#include "tst_migrate.moc"
