#include "store/Selection.h"

#include <QByteArray>
#include <QRegularExpression>
#include <algorithm>
#include <numeric>
#include <string_view>

using Kind = StoreError::Kind;

SelectionText parseSelection(const QString &queryText) {
    static const QRegularExpression select(
        QStringLiteral(
            "^\\s*SELECT\\s*\\*\\s*FROM\\s+(\\w+)(?:\\s+ORDER\\s+BY\\s+(.+?))?\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression bare(QStringLiteral("^\\s*(\\w+)\\s*$"));
    SelectionText result;
    if (const auto m = select.match(queryText); m.hasMatch()) {
        result.table = m.captured(1);
        for (const QString &item : m.captured(2).split(QLatin1Char(','), Qt::SkipEmptyParts))
            result.order << item.simplified();
    } else if (const auto b = bare.match(queryText); b.hasMatch()) {
        result.table = b.captured(1);
    } else {
        throw StoreError(Kind::BadCriteria,
                         QStringLiteral("The selection \"%1\" cannot be read.").arg(queryText));
    }
    return result;
}

QList<OrderTerm> orderTerms(const SelectionText &selection, const QList<FieldDef> &fields,
                            const QStringList &primaryOrder) {
    QList<OrderTerm> terms;
    for (const QString &item : selection.order.isEmpty() ? primaryOrder : selection.order) {
        const QStringList words = item.split(QLatin1Char(' '));
        const auto known = std::find_if(fields.cbegin(), fields.cend(), [&](const FieldDef &f) {
            return f.name.compare(words.value(0), Qt::CaseInsensitive) == 0;
        });
        const bool desc =
            words.size() == 2 && words[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
        const bool asc =
            words.size() == 2 && words[1].compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0;
        if (known == fields.cend() || (words.size() != 1 && !desc && !asc))
            throw StoreError(Kind::BadCriteria,
                             QStringLiteral("The order \"%1\" cannot be read.").arg(item));
        terms.push_back({int(known - fields.cbegin()), desc});
    }
    return terms;
}

QString orderSql(const Database &db, const QList<OrderTerm> &terms, const QList<FieldDef> &fields) {
    QStringList sql;
    for (const OrderTerm &term : terms) {
        const FieldDef &field = fields[term.field];
        const QString column = quotedName(field.name);
        sql << db.orderTerm(field.type == FieldDef::Text ? db.textKey(column) : column,
                            term.descending);
    }
    sql << QStringLiteral("rowid");
    return sql.join(QStringLiteral(", "));
}

void appendTextOrderKey(QByteArray &into, QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x80) {
            into.append(text.sliced(i).toUtf8());
            return;
        }
        into.append(char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    }
}

int compareTextOrderKeys(QStringView a, QStringView b) {
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= 0x80 || y >= 0x80) {
            QByteArray p, q;
            appendTextOrderKey(p, a.sliced(i));
            appendTextOrderKey(q, b.sliced(i));
            return QByteArrayView(p).compare(q);
        }
        const char16_t lx = x >= u'A' && x <= u'Z' ? char16_t(x + 32) : x;
        const char16_t ly = y >= u'A' && y <= u'Z' ? char16_t(y + 32) : y;
        if (lx != ly)
            return lx < ly ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

SelectionCopy::SelectionCopy(Database &db, const QString &queryText, const QList<int> &fields,
                             RowOrder order)
    : rowOrder(order) {
    const SelectionText selection = parseSelection(queryText);
    if (!db.hasTable(selection.table))
        throw StoreError(Kind::NoSuchField,
                         QStringLiteral("The database has no table %1.").arg(selection.table));
    const QList<FieldDef> defs = db.fields(selection.table);
    QStringList names, primary;
    for (const FieldDef &f : defs)
        names << f.name;
    const QList<IndexDef> indexes = db.indexes(selection.table);
    for (const IndexDef &index : indexes) {
        if (index.primary)
            primary << index.field;
    }
    slot = QVector<int>(names.size(), -1);
    QStringList columns;
    for (int field : fields) {
        if (field < 0 || field >= names.size())
            throw StoreError(Kind::NoSuchField,
                             QStringLiteral("The table %1 has no field number %2.")
                                 .arg(selection.table)
                                 .arg(field));
        if (slot[field] < 0) {
            slot[field] = width++;
            columns << quotedName(names[field]);
        }
    }
    // The order is checked either way.
    const QList<OrderTerm> terms = orderTerms(selection, defs, primary);
    const QString selected = orderSql(db, terms, defs);
    const bool sortHere = order == RowOrder::Selected && db.ordersLargeReadsItself();
    // The fields of the order that the report does not read are copied too, for sorting only.
    QList<int> sortColumns;
    if (sortHere) {
        for (const OrderTerm &term : terms) {
            if (slot[term.field] >= 0) {
                sortColumns << slot[term.field];
            } else {
                sortColumns << width++;
                columns << quotedName(names[term.field]);
            }
        }
    }
    const QString orderBy =
        order == RowOrder::Selected && !sortHere ? selected : QStringLiteral("rowid");
    db.expectLargeRead();
    Statement s(db, QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                        .arg(columns.join(", "), quotedName(selection.table), orderBy));
    while (s.step()) {
        for (int c = 0; c < width; ++c) {
            const qsizetype start = text.size();
            cells.push_back({qint32(start), qint32(s.appendText(c, text))});
        }
        ++rowCount;
    }
    if (sortHere)
        sortRows(terms, defs, sortColumns);
}

void SelectionCopy::sortRows(const QList<OrderTerm> &terms, const QList<FieldDef> &fields,
                             const QList<int> &columns) {
    // Each term's keys, one after another in one buffer: texts by their text key, dates
    // (yyyy-mm-dd) without their dashes, yes/no (0 or 1) as it is. Null sorts first, as on
    // the file.
    // Each key's first eight bytes are kept as one number too, which settles most comparisons.
    struct Keys {
        QByteArray bytes;
        std::vector<Cell> at;
        std::vector<quint64> head;
        bool date;
        bool descending;
    };
    std::vector<Keys> keys(size_t(terms.size()));
    for (qsizetype t = 0; t < terms.size(); ++t) {
        Keys &k = keys[size_t(t)];
        const bool isText = fields[terms[t].field].type == FieldDef::Text;
        k.date = fields[terms[t].field].type == FieldDef::Date;
        k.descending = terms[t].descending;
        k.at.reserve(size_t(rowCount));
        for (qsizetype row = 0; row < rowCount; ++row) {
            const Cell &c = cells[size_t(row) * width + columns[t]];
            const QStringView value = QStringView(text).mid(c.offset, qMax(c.length, 0));
            const qsizetype start = k.bytes.size();
            if (isText) {
                appendTextOrderKey(k.bytes, value);
            } else {
                // Digits (and a date's dashes, always two, left out); yes/no as 0 or 1.
                for (const QChar ch : value) {
                    if (ch != u'-')
                        k.bytes.append(char(ch.unicode()));
                }
            }
            k.at.push_back({qint32(start), c.length < 0 ? -1 : qint32(k.bytes.size() - start)});
        }
        k.head.reserve(size_t(rowCount));
        for (const Cell &key : k.at) {
            quint64 head = 0;
            for (qint32 i = 0; i < 8; ++i)
                head = head << 8 | (i < key.length ? quint8(k.bytes[key.offset + i]) : 0);
            k.head.push_back(head);
        }
    }
    const auto before = [&](qint32 a, qint32 b) {
        for (const Keys &k : keys) {
            const Cell &x = k.at[size_t(a)], &y = k.at[size_t(b)];
            int diff;
            if (x.length < 0 || y.length < 0) {
                diff = (x.length < 0 ? 0 : 1) - (y.length < 0 ? 0 : 1);
            } else {
                // A longer date is a later year, past 9999.
                diff = k.date && x.length != y.length ? x.length - y.length : 0;
                const quint64 hx = k.head[size_t(a)], hy = k.head[size_t(b)];
                if (diff == 0 && hx != hy)
                    diff = hx < hy ? -1 : 1;
                else if (diff == 0 && (x.length > 8 || y.length > 8 || x.length != y.length))
                    diff = std::string_view(k.bytes.constData() + x.offset, size_t(x.length))
                               .compare(std::string_view(k.bytes.constData() + y.offset,
                                                         size_t(y.length)));
            }
            if (diff != 0)
                return k.descending ? diff > 0 : diff < 0;
        }
        return false;
    };
    // Rows of equal keys keep the order of their row ids, in which they were read.
    std::vector<qint32> inOrder(static_cast<size_t>(rowCount));
    std::iota(inOrder.begin(), inOrder.end(), 0);
    std::stable_sort(inOrder.begin(), inOrder.end(), before);
    // Moved in place, a cycle of rows at a time, to keep the copy's memory what it is.
    std::vector<Cell> held(static_cast<size_t>(width));
    const auto rowAt = [&](qint32 row) { return cells.begin() + qsizetype(row) * width; };
    for (qint32 first = 0; first < qint32(rowCount); ++first) {
        if (inOrder[size_t(first)] == first)
            continue;
        std::copy(rowAt(first), rowAt(first + 1), held.begin());
        qint32 to = first;
        for (qint32 from = inOrder[size_t(to)]; from != first; from = inOrder[size_t(to)]) {
            std::copy(rowAt(from), rowAt(from + 1), rowAt(to));
            inOrder[size_t(to)] = to;
            to = from;
        }
        std::copy(held.begin(), held.end(), rowAt(to));
        inOrder[size_t(to)] = to;
    }
}

const SelectionCopy::Cell &SelectionCopy::cellAt(qsizetype row, int field) const {
    if (!holds(field))
        throw StoreError(
            Kind::NoSuchField,
            QStringLiteral("Field number %1 was not read for this report.").arg(field));
    if (row < 0 || row >= rowCount)
        throw StoreError(Kind::NoCurrentRow, QStringLiteral("No current record."));
    return cells[size_t(row) * width + slot[field]];
}

QStringView SelectionCopy::view(qsizetype row, int field) const {
    const Cell &c = cellAt(row, field);
    return c.length < 0 ? QStringView() : QStringView(text).mid(c.offset, c.length);
}
