#include "store/Migrate.h"

#include "store/Audit.h"
#include "store/DealSchema.h"
#include "store/SqliteDatabase.h"

#include <QStringList>

namespace DealMigration {

int copyDeals(const QString &file, const DatabaseAddress &server, bool replace) {
    auto from = SqliteDatabase::open(file);
    if (const QStringList problems = from->integrityProblems(1); !problems.isEmpty())
        throw StoreError(StoreError::Kind::Damaged,
                         QStringLiteral("The deal database %1 is damaged (%2): nothing was "
                                        "copied. Purge and rebuild it first, which repairs what "
                                        "can be repaired.")
                             .arg(file, problems.first()));
    openDealDatabase(server);
    auto to = Database::open(server);

    QStringList names, places;
    for (const FieldDef &field : DealSchema::fields()) {
        names << quotedName(field.name);
        places << QStringLiteral("?%1").arg(names.size());
    }
    // In the order they were stored, so that deals alike in every ordering key still list in
    // the same order on the server.
    const QString all =
        QStringLiteral("SELECT %1 FROM \"ZEL\" ORDER BY rowid").arg(names.join(u','));

    Transaction reading(*from);
    Transaction writing(*to);
    // No other copy adds deals meanwhile: the emptiness checked is the emptiness written into.
    to->exec(QStringLiteral("LOCK TABLE \"ZEL\" IN SHARE ROW EXCLUSIVE MODE"));
    if (replace)
        to->exec(QStringLiteral("DELETE FROM \"ZEL\""));
    {
        Statement held(*to, QStringLiteral("SELECT count(*) FROM \"ZEL\""));
        held.step();
        if (const qint64 n = held.int64(0); n > 0)
            throw StoreError(StoreError::Kind::Other,
                             QStringLiteral("The deal table on the server (%1) already holds %2 "
                                            "deal(s): nothing was copied. Deals are moved only "
                                            "into an empty table.")
                                 .arg(server.describe())
                                 .arg(n));
    }
    int copied = 0;
    {
        Statement read(*from, all);
        Statement write(*to, QStringLiteral("INSERT INTO \"ZEL\" (%1) VALUES (%2)")
                                 .arg(names.join(u','), places.join(u',')));
        while (read.step()) {
            for (int i = 0; i < names.size(); ++i)
                write.bind(i + 1, read.value(i));
            write.step();
            write.reset();
            ++copied;
        }
    }
    // What the server holds now is compared with the file, deal by deal and field by field.
    Statement source(*from, all), copy(*to, all);
    int compared = 0;
    for (;;) {
        const bool more = source.step();
        if (more != copy.step())
            throw VolmeraError(QStringLiteral("The server holds %1 deals where the file has "
                                              "another number: nothing was copied.")
                                   .arg(copied));
        if (!more)
            break;
        ++compared;
        for (int i = 0; i < names.size(); ++i) {
            const QVariant a = source.value(i), b = copy.value(i);
            if (a.isNull() != b.isNull() || a.toString() != b.toString())
                throw VolmeraError(
                    QStringLiteral("Deal %1 reads back from the server with field %2 as \"%3\" "
                                   "where the file has \"%4\": nothing was copied.")
                        .arg(compared)
                        .arg(DealSchema::fields()[i].name, b.toString(), a.toString()));
        }
    }
    if (replace) {
        Audit::ensureTable(*to);
        Audit::Writer(*to).write(
            Audit::Action::Restore, {}, {}, QString(),
            QStringLiteral("%1 deal(s) put back from %2").arg(copied).arg(file));
    }
    writing.commit();
    return copied;
}

} // namespace DealMigration
