#include "store/DealWriter.h"

#include "store/DealSchema.h"

#include <QDate>

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
}

DealWriter::Result DealWriter::add(const Fields &fields) {
    // The texts are gathered first, since binding keeps pointers into the buffer.
    buffer.resize(0); // keeps its room
    for (int i = 0; i < FieldCount; ++i) {
        start[i] = buffer.size();
        null[i] = !fields[i];
        if (fields[i]) {
            requireNoNul(DealSchema::fields()[i].name, *fields[i]);
            appendUtf8(buffer, *fields[i]);
        }
    }
    start[FieldCount] = buffer.size();
    // After a deal that was there, the next is likely there too (an export imported again):
    // looking for it costs less than a write that is turned down.
    if (lastThere && stored() != Stored::Nowhere)
        return Result::AlreadyThere;
    for (int i = 0; i < FieldCount; ++i) {
        if (null[i])
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

DealWriter::Stored DealWriter::stored() {
    const auto bindField = [this](int index, int field) {
        if (null[field])
            holders.bindNull(index);
        else
            holders.bindUtf8(index, buffer.constData() + start[field],
                             start[field + 1] - start[field]);
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
                const QByteArrayView mine(buffer.constData() + start[i], start[i + 1] - start[i]);
                same = holders.isNull(i) ? null[i] : !null[i] && holders.utf8(i) == mine;
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
    const QByteArrayView mine(buffer.constData() + start[DealSchema::StkNbr],
                              start[DealSchema::StkNbr + 1] - start[DealSchema::StkNbr]);
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
