#include "store/Selection.h"

#include <QByteArray>
#include <QRegularExpression>
#include <algorithm>

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

QString orderSql(const Database &db, const SelectionText &selection, const QList<FieldDef> &fields,
                 const QStringList &primaryOrder) {
    const QStringList order = selection.order.isEmpty() ? primaryOrder : selection.order;
    QStringList terms;
    for (const QString &item : order) {
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
        const QString column = quotedName(known->name);
        terms << db.orderTerm(known->type == FieldDef::Text ? db.textKey(column) : column, desc);
    }
    terms << QStringLiteral("rowid");
    return terms.join(QStringLiteral(", "));
}

QByteArray textOrderKey(QStringView text) {
    QByteArray key = text.toUtf8();
    for (char &c : key) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return key;
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
    const QString leading =
        (selection.order.isEmpty() ? primary : selection.order).value(0).section(u' ', 0, 0);
    const bool byIndex = order == RowOrder::Selected &&
                         std::any_of(indexes.cbegin(), indexes.cend(), [&](const IndexDef &i) {
                             return i.field.compare(leading, Qt::CaseInsensitive) == 0;
                         });
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
    const QString selected = orderSql(db, selection, defs, primary);
    const QString orderBy = order == RowOrder::Selected ? selected : QStringLiteral("rowid");
    db.expectLargeRead(byIndex);
    Statement s(db, QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                        .arg(columns.join(", "), quotedName(selection.table), orderBy));
    while (s.step()) {
        for (int c = 0; c < width; ++c) {
            const qsizetype start = text.size();
            cells.push_back({qint32(start), qint32(s.appendText(c, text))});
        }
        ++rowCount;
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
