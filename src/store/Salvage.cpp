#include "store/Salvage.h"

#include "store/Audit.h"
#include "store/DealSchema.h"
#include "store/OfficePassword.h"
#include "store/SqliteDatabase.h"

#include <QDate>
#include <QMap>
#include <QSet>
#include <limits>
#include <optional>

namespace {
using Kind = StoreError::Kind;

// A part of the file that cannot be read ends a reading; being kept out by another workstation
// ends the salvage.
void unlessBusy(const StoreError &e) {
    if (e.kind() == Kind::Busy)
        throw e;
}

// What the indexes tell of a row.
struct Known {
    QString key, stock;
    std::optional<QVariant> sold;
};

QString withoutTrailingBlanks(QString text) {
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

QString describe(qint64 rowId, const Known &k) {
    QStringList parts;
    const QString stock = withoutTrailingBlanks(k.stock);
    if (!k.stock.isEmpty())
        parts << QStringLiteral("stock %1").arg(stock);
    if (!k.key.isEmpty()) {
        // The key is the last name followed by the stock number.
        QString name = k.key;
        if (!k.stock.isEmpty() && name.endsWith(k.stock, Qt::CaseInsensitive))
            name.chop(k.stock.size());
        else if (k.stock.isEmpty())
            name = QStringLiteral("key ") + name;
        parts << withoutTrailingBlanks(name);
    }
    if (k.sold) {
        const QDate d = QDate::fromString(k.sold->toString(), Qt::ISODate);
        parts << (d.isValid() ? QStringLiteral("sold ") + d.toString(QStringLiteral("MM/dd/yyyy"))
                              : QStringLiteral("without a sale date"));
    }
    if (parts.isEmpty())
        parts << QStringLiteral("row %1").arg(rowId);
    return parts.join(QStringLiteral(", "));
}

class Salvage {
public:
    Salvage(Database &damaged, const QString &newPath) : from(damaged) {
        fresh = SqliteDatabase::create(newPath);
        copying = std::make_unique<Transaction>(*fresh);
        Statement schema(from, QStringLiteral("SELECT sql FROM sqlite_master WHERE "
                                              "tbl_name = 'ZEL' AND sql IS NOT NULL "
                                              "ORDER BY type = 'index', rowid"));
        while (schema.step())
            fresh->exec(schema.value(0).toString());
        Statement columns(from, QStringLiteral("PRAGMA table_info(ZEL)"));
        QStringList marks;
        while (columns.step())
            marks << QStringLiteral("?%1").arg(marks.size() + 1);
        insert = std::make_unique<Statement>(
            *fresh,
            QStringLiteral("INSERT INTO ZEL VALUES (%1)").arg(marks.join(QStringLiteral(", "))));
        columnCount = int(marks.size());
    }

    Salvaged run() {
        readIndexes();
        readInOrder();
        // Rows an index knows of that the reading in order could not reach.
        for (auto it = known.cbegin(); it != known.cend(); ++it) {
            if (copied.contains(it.key()))
                continue;
            bool read = false;
            try {
                Statement row(from, QStringLiteral("SELECT rowid, * FROM ZEL NOT INDEXED "
                                                   "WHERE rowid = ?1"));
                row.bind(1, it.key());
                if (row.step()) {
                    copy(row);
                    read = true;
                }
            } catch (const StoreError &e) {
                unlessBusy(e);
            }
            if (!read)
                result.lost << describe(it.key(), it.value());
        }
        // The record of changes and the office's password go along, as far as they can be read.
        carry(Audit::Table, QStringLiteral("the record of changes"));
        carry(OfficePassword::Table, QStringLiteral("the office's settings"));
        copying->commit();
        return result;
    }

private:
    void carry(const QString &table, const QString &what) {
        int rows = 0;
        try {
            Statement schema(from, QStringLiteral("SELECT sql FROM sqlite_master WHERE "
                                                  "tbl_name = ?1 AND sql IS NOT NULL "
                                                  "ORDER BY type <> 'table', rowid"));
            schema.bind(1, table);
            bool there = false; // an older database has no such table
            while (schema.step()) {
                fresh->exec(schema.value(0).toString());
                there = true;
            }
            if (!there)
                return;
            Statement read(from, QStringLiteral("SELECT * FROM %1 NOT INDEXED").arg(table));
            std::unique_ptr<Statement> write;
            while (read.step()) {
                if (!write) {
                    QStringList marks;
                    for (int c = 0; c < read.columnCount(); ++c)
                        marks << QStringLiteral("?%1").arg(c + 1);
                    write = std::make_unique<Statement>(
                        *fresh, QStringLiteral("INSERT INTO %1 VALUES (%2)")
                                    .arg(table, marks.join(QStringLiteral(", "))));
                }
                for (int c = 0; c < read.columnCount(); ++c)
                    write->bind(c + 1, read.value(c));
                write->step();
                write->reset();
                ++rows;
            }
        } catch (const StoreError &e) {
            unlessBusy(e);
            result.lost << QStringLiteral("%1 (%2) after its first %3 row(s): %4")
                               .arg(what, table)
                               .arg(rows)
                               .arg(e.description());
        }
    }

    // Every index's field and row id for the rows it holds, as far as it can be read.
    void readIndexes() {
        Statement list(from, QStringLiteral("PRAGMA index_list(ZEL)"));
        QList<std::pair<QString, QString>> indexes; // name, field
        while (list.step()) {
            const QString name = list.value(1).toString();
            Statement info(from, QStringLiteral("PRAGMA index_info(%1)").arg(quotedName(name)));
            if (info.step())
                indexes.append({name, info.value(2).toString()});
        }
        for (const auto &[name, field] : indexes) {
            try {
                Statement s(from,
                            QStringLiteral("SELECT rowid, %1 FROM ZEL INDEXED BY %2 ORDER BY %1")
                                .arg(quotedName(field), quotedName(name)));
                while (s.step()) {
                    Known &k = known[s.int64(0)];
                    if (field.compare(QLatin1String("LNKey"), Qt::CaseInsensitive) == 0)
                        k.key = s.value(1).toString();
                    else if (field.compare(QLatin1String("StkNbr"), Qt::CaseInsensitive) == 0)
                        k.stock = s.value(1).toString();
                    else if (field.compare(QLatin1String("DateSold"), Qt::CaseInsensitive) == 0)
                        k.sold = s.value(1);
                }
            } catch (const StoreError &e) {
                unlessBusy(e);
            }
        }
    }

    // The rows in stored order, stepping over each part of the file that cannot be read.
    void readInOrder() {
        qint64 after = 0;
        for (;;) {
            try {
                Statement scan(from, QStringLiteral("SELECT rowid, * FROM ZEL NOT INDEXED "
                                                    "WHERE rowid > ?1 ORDER BY rowid"));
                scan.bind(1, after);
                while (scan.step()) {
                    after = scan.int64(0);
                    copy(scan);
                }
                return;
            } catch (const StoreError &e) {
                unlessBusy(e);
            }
            const std::optional<qint64> resume = readableAfter(after);
            if (!resume)
                return;
            after = *resume;
        }
    }

    // Whether the first row after a row id can be found.
    bool readable(qint64 after) {
        try {
            Statement s(from, QStringLiteral("SELECT rowid FROM ZEL NOT INDEXED WHERE "
                                             "rowid > ?1 ORDER BY rowid LIMIT 1"));
            s.bind(1, after);
            s.step();
            return true;
        } catch (const StoreError &e) {
            unlessBusy(e);
            return false;
        }
    }

    // The smallest row id past the unreadable part after `after` from which rows can be found
    // again; nothing when the rest of the table cannot be read.
    std::optional<qint64> readableAfter(qint64 after) {
        qint64 high = known.isEmpty() ? std::numeric_limits<qint64>::max() : known.lastKey();
        if (high <= after || !readable(high))
            return std::nullopt;
        qint64 low = after;
        while (high - low > 1) {
            const qint64 middle = low + (high - low) / 2;
            (readable(middle) ? high : low) = middle;
        }
        return high;
    }

    void copy(const Statement &row) {
        const qint64 rowId = row.int64(0);
        if (copied.contains(rowId))
            return;
        copied.insert(rowId);
        try {
            for (int c = 1; c <= columnCount; ++c)
                insert->bind(c, row.value(c));
            insert->step();
            insert->reset();
            ++result.deals;
        } catch (const StoreError &e) {
            insert->reset();
            unlessBusy(e);
            Known k = known.value(rowId);
            k.stock = row.value(1 + DealSchema::StkNbr).toString();
            k.key = row.value(1 + DealSchema::LNKey).toString();
            k.sold = row.value(1 + DealSchema::DateSold);
            result.lost << describe(rowId, k) + QStringLiteral(": ") + e.description();
        }
    }

    Database &from;
    std::unique_ptr<SqliteDatabase> fresh;
    std::unique_ptr<Transaction> copying;
    std::unique_ptr<Statement> insert;
    int columnCount = 0;
    QMap<qint64, Known> known;
    QSet<qint64> copied;
    Salvaged result;
};
} // namespace

Salvaged salvageDeals(Database &damaged, const QString &newPath) {
    return Salvage(damaged, newPath).run();
}
