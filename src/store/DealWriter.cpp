#include "store/DealWriter.h"

#include "store/DealSchema.h"
#include "store/PgDatabase.h"

#include <QDate>
#include <QHash>

namespace {
QStringList writtenColumns() {
    QStringList columns;
    for (int i = 0; i < DealWriter::FieldCount; ++i)
        columns << quotedName(DealSchema::fields()[i].name);
    return columns;
}

QString insertSql() {
    QStringList marks;
    for (int i = 1; i <= DealWriter::FieldCount; ++i)
        marks << QStringLiteral("?%1").arg(i);
    // A stock number or key held already leaves the row unwritten; add() then looks at what
    // holds it.
    return QStringLiteral("INSERT INTO \"ZEL\" (%1) VALUES (%2) ON CONFLICT DO NOTHING")
        .arg(writtenColumns().join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
}

QString holdersSql(const Database &db) {
    return QStringLiteral("SELECT %1 FROM \"ZEL\" WHERE %2 = %3 OR %4 = %5")
        .arg(writtenColumns().join(QStringLiteral(", ")), db.textKey(QStringLiteral("\"StkNbr\"")),
             db.textKey(QStringLiteral("?1")), db.textKey(QStringLiteral("\"LNKey\"")),
             db.textKey(QStringLiteral("?2")));
}

// Most texts are plain ASCII, which is copied as it is.
void appendUtf8(QByteArray &out, QStringView text) {
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            out += text.toUtf8();
            return;
        }
    }
    const qsizetype at = out.size();
    out.resize(at + text.size());
    char *to = out.data() + at;
    for (QChar c : text)
        *to++ = char(c.unicode());
}

QString withoutTrailingBlanks(QString text) {
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}
} // namespace

DealWriter::DealWriter(Database &db) : insert(db, insertSql()), holders(db, holdersSql(db)) {
    db.expectManyWrites();
    if (db.engine() == Database::Engine::PostgreSQL) {
        server = static_cast<PgDatabase *>(&db);
        const QList<FieldDef> columns = DealSchema::fields().mid(0, FieldCount);
        const QString key = quotedName(DealSchema::fields()[DealSchema::LNKey].name);
        manyOrNone = std::make_unique<Statement>(
            db, PgDatabase::insertManySql(
                    DealSchema::Table, columns,
                    QStringLiteral("ON CONFLICT DO NOTHING RETURNING %1").arg(key)));
    }
}

std::optional<QByteArrayView> DealWriter::Texts::text(int field) const {
    if (null[field])
        return std::nullopt;
    return QByteArrayView(buffer.constData() + start[field], start[field + 1] - start[field]);
}

void DealWriter::gather(const Fields &fields, Texts &into) {
    into.buffer.resize(0); // keeps its room
    for (int i = 0; i < FieldCount; ++i) {
        into.start[i] = into.buffer.size();
        into.null[i] = !fields[i];
        if (fields[i]) {
            requireNoNul(DealSchema::fields()[i].name, *fields[i]);
            appendUtf8(into.buffer, *fields[i]);
        }
    }
    into.start[FieldCount] = into.buffer.size();
}

DealWriter::Result DealWriter::add(const Fields &fields) {
    // The texts are gathered first, since binding keeps pointers into the buffer.
    gather(fields, deal);
    return addGathered();
}

DealWriter::Result DealWriter::addGathered() {
    const QByteArray &buffer = deal.buffer;
    const auto &start = deal.start;
    // After a deal that was there, the next is likely there too (an export imported again):
    // looking for it costs less than a write that is turned down.
    if (lastThere && stored() != Stored::Nowhere)
        return Result::AlreadyThere;
    for (int i = 0; i < FieldCount; ++i) {
        if (deal.null[i])
            insert.bindNull(i + 1);
        else
            insert.bindUtf8(i + 1, buffer.constData() + start[i], start[i + 1] - start[i]);
    }
    bool written = false;
    try {
        insert.step();
        written = insert.changes() > 0;
    } catch (...) {
        insert.reset();
        throw;
    }
    insert.reset();
    lastThere = !written;
    if (written)
        return Result::Stored;
    if (stored() == Stored::Nowhere)
        throw StoreError(StoreError::Kind::DuplicateKey,
                         QStringLiteral("Another deal already has this stock number or key: the "
                                        "deal was not stored (duplicate key)."));
    return Result::AlreadyThere;
}

void DealWriter::keep(const Fields &fields) {
    held.emplace_back();
    try {
        gather(fields, held.back());
    } catch (...) {
        held.pop_back();
        throw;
    }
}

namespace {
// The refusals of a deal for its own data, as against failures of the database.
bool refusal(const StoreError &e) {
    switch (e.kind()) {
    case StoreError::Kind::DuplicateKey:
    case StoreError::Kind::ZeroLength:
    case StoreError::Kind::TooLong:
    case StoreError::Kind::Required:
    case StoreError::Kind::BadValue:
        return true;
    default:
        return false;
    }
}
} // namespace

void DealWriter::write(const Answer &answer) {
    std::vector<Texts> deals;
    deals.swap(held);
    if (deals.empty())
        return;
    // Each deal alone, as add() writes it, and what became of it.
    const auto one = [&](int i) {
        std::swap(deal, deals[size_t(i)]);
        try {
            const Result result = addGathered();
            std::swap(deal, deals[size_t(i)]);
            answer(i, result, nullptr);
        } catch (const StoreError &e) {
            std::swap(deal, deals[size_t(i)]);
            if (!refusal(e))
                throw;
            answer(i, Result::Stored, &e);
        }
    };
    // A deal the table refuses fails the whole write, which then wrote nothing: each deal is
    // written alone instead.
    const auto eachAlone = [&] {
        for (int i = 0; i < int(deals.size()); ++i)
            one(i);
    };
    // Most deals are new: copied in, they cost the server least. When one is there already
    // the copy is refused whole, and the statement that leaves such deals out runs instead,
    // first from then on.
    if (!conflicts) {
        QByteArray rows;
        for (const Texts &d : deals) {
            for (int i = 0; i < FieldCount; ++i)
                PgDatabase::appendCopyField(rows, d.text(i), i + 1 == FieldCount);
        }
        try {
            server->copyInto(DealSchema::Table, DealSchema::fields().mid(0, FieldCount), rows);
        } catch (const StoreError &e) {
            if (!refusal(e))
                throw;
            if (e.kind() != StoreError::Kind::DuplicateKey) {
                eachAlone();
                return;
            }
            conflicts = true;
        }
        if (!conflicts) { // every deal was written
            for (int i = 0; i < int(deals.size()); ++i)
                answer(i, Result::Stored, nullptr);
            return;
        }
    }
    // One statement for all of them; those it left out hold a stock number or key stored
    // already, and are looked at one by one.
    std::array<QByteArray, FieldCount> arrays;
    for (const Texts &d : deals) {
        for (int i = 0; i < FieldCount; ++i)
            PgDatabase::appendToArray(arrays[size_t(i)], d.text(i));
    }
    for (int i = 0; i < FieldCount; ++i) {
        PgDatabase::closeArray(arrays[size_t(i)]);
        manyOrNone->bindUtf8(i + 1, arrays[size_t(i)].constData(), arrays[size_t(i)].size());
    }
    QHash<QByteArray, int> written; // by key: how many deals with it were written
    try {
        while (manyOrNone->step())
            ++written[manyOrNone->utf8(0).toByteArray()];
        manyOrNone->reset();
    } catch (const StoreError &e) {
        manyOrNone->reset();
        if (!refusal(e))
            throw;
        eachAlone();
        return;
    }
    const int key = DealSchema::LNKey;
    for (int i = 0; i < int(deals.size()); ++i) {
        const Texts &d = deals[size_t(i)];
        // The first deal with a key written is the one written: a later one with the same key
        // was left out.
        auto it = d.null[key] ? written.end() : written.find(d.text(key)->toByteArray());
        if (it != written.end() && *it > 0) {
            --*it;
            answer(i, Result::Stored, nullptr);
            continue;
        }
        lastThere = true; // looks before writing
        one(i);
    }
}

DealWriter::Stored DealWriter::stored() {
    const auto bindField = [this](int index, int field) {
        if (deal.null[field])
            holders.bindNull(index);
        else
            holders.bindUtf8(index, deal.buffer.constData() + deal.start[field],
                             deal.start[field + 1] - deal.start[field]);
    };
    bindField(1, DealSchema::StkNbr);
    bindField(2, DealSchema::LNKey);
    bool found = false;
    QString other;
    try {
        while (other.isEmpty() && holders.step()) {
            found = true;
            bool same = true;
            for (int i = 0; i < FieldCount && same; ++i) {
                const QByteArrayView mine(deal.buffer.constData() + deal.start[i],
                                          deal.start[i + 1] - deal.start[i]);
                same = holders.isNull(i) ? deal.null[i] : !deal.null[i] && holders.utf8(i) == mine;
            }
            if (!same)
                other = otherDeal();
        }
    } catch (...) {
        holders.reset();
        throw;
    }
    holders.reset();
    if (!other.isEmpty()) {
        lastThere = false;
        throw StoreError(StoreError::Kind::DuplicateKey, other);
    }
    return found ? Stored::Same : Stored::Nowhere;
}

QString DealWriter::otherDeal() const {
    const QString stock = withoutTrailingBlanks(holders.value(DealSchema::StkNbr).toString());
    const QByteArrayView mine(deal.buffer.constData() + deal.start[DealSchema::StkNbr],
                              deal.start[DealSchema::StkNbr + 1] - deal.start[DealSchema::StkNbr]);
    const bool sameStock =
        withoutTrailingBlanks(QString::fromUtf8(mine)).compare(stock, Qt::CaseInsensitive) == 0;
    const QDate sold =
        QDate::fromString(holders.value(DealSchema::DateSold).toString(), Qt::ISODate);
    return QStringLiteral("Another deal (%1, stock %2, %3) already has this %4: the deal was not "
                          "stored (duplicate key).")
        .arg(withoutTrailingBlanks(holders.value(DealSchema::ByLName).toString()), stock,
             sold.isValid() ? QStringLiteral("sold ") + sold.toString(QStringLiteral("MM/dd/yyyy"))
                            : QStringLiteral("without a sale date"),
             sameStock ? QStringLiteral("stock number")
                       : QStringLiteral("key (last name and stock number)"));
}
