#include "store/Recordset.h"

#include "store/Selection.h"

#include <QDate>
#include <QRegularExpression>
#include <algorithm>

namespace {
using Kind = StoreError::Kind;

StoreError noCurrentRow() {
    return {Kind::NoCurrentRow, QStringLiteral("No current record.")};
}

// A date written as mm/dd/yyyy, m/d/yyyy or yyyy-mm-dd.
QDate readDate(const QString &text) {
    const QString t = text.trimmed();
    QDate d = QDate::fromString(t, Qt::ISODate);
    if (!d.isValid())
        d = QDate::fromString(t, QStringLiteral("M/d/yyyy"));
    return d;
}
} // namespace

QString findCriteria(const QString &field, const QString &op, const QString &value) {
    return field + QLatin1Char(' ') + op + QStringLiteral(" '") +
           QString(value).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

Recordset::Recordset(Database &database, const QString &queryText) : db(database) {
    const SelectionText selection = parseSelection(queryText);
    table = selection.table;
    if (!db.hasTable(table))
        throw StoreError(Kind::NoSuchField,
                         QStringLiteral("The database has no table %1.").arg(table));
    const QList<FieldDef> fields = db.fields(table);
    QStringList quoted;
    for (const FieldDef &f : fields) {
        names << f.name;
        types << f.type;
        quoted << quotedName(f.name);
    }
    columnsSql = quoted.join(QStringLiteral(", "));
    QStringList primary;
    for (const IndexDef &index : db.indexes(table)) {
        if (index.primary)
            primary << index.field;
    }
    orderSql = ::orderSql(db, orderTerms(selection, fields, primary), fields);
    requery();
}

int Recordset::columnOf(const QString &name) const {
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    throw StoreError(Kind::NoSuchField,
                     QStringLiteral("Item not found in this collection: the table %1 has no field "
                                    "%2.")
                         .arg(table, name));
}

FieldDef::Type Recordset::fieldType(const QString &name) const {
    return types[columnOf(name)];
}

void Recordset::requery() {
    mode = EditMode::None;
    // The selection is read again only when the table may have changed since it was read: a
    // large table takes a while. Rows added here since are put in their places instead.
    const Database::ChangeMark mark = db.changeMark(table);
    if (!mark.known() || mark != readMark || !placeAdded()) {
        readMark = mark;
        readIds();
    }
    pos = 0;
    currentDeleted = false;
    if (ids.isEmpty()) {
        row.clear();
        return;
    }
    load();
}

void Recordset::readIds() {
    Statement s(
        db, QStringLiteral("SELECT rowid FROM %1 ORDER BY %2").arg(quotedName(table), orderSql));
    QVector<qint64> fresh;
    fresh.reserve(ids.size());
    while (s.step())
        fresh.append(s.int64(0));
    ids = std::move(fresh);
    placed = ids.size();
}

bool Recordset::placeAdded() {
    if (placed == ids.size())
        return true;
    // The database says which of two rows comes first, so that the order is exactly its own.
    Statement s(db, QStringLiteral("SELECT rowid FROM %1 WHERE rowid IN (?1, ?2) ORDER BY %2")
                        .arg(quotedName(table), orderSql));
    QVector<qint64> sorted = ids;
    for (qsizetype n = placed; n < sorted.size(); ++n) {
        const qint64 added = sorted[n];
        qsizetype low = 0, high = n;
        while (low < high) {
            const qsizetype middle = (low + high) / 2;
            s.reset();
            s.bind(1, added);
            s.bind(2, sorted[middle]);
            if (!s.step())
                return false;
            const qint64 first = s.int64(0);
            if (!s.step())
                return false; // one of them is gone after all
            if (first == added)
                high = middle;
            else
                low = middle + 1;
        }
        if (n == 0) {
            s.reset();
            s.bind(1, added);
            s.bind(2, added);
            if (!s.step())
                return false;
        }
        sorted.remove(n);
        sorted.insert(low, added);
    }
    ids = std::move(sorted);
    placed = ids.size();
    return true;
}

void Recordset::load() {
    currentDeleted = false;
    row.clear();
    rowMissing = false;
    if (pos < 0 || pos >= ids.size())
        return;
    Statement s(
        db,
        QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1").arg(columnsSql, quotedName(table)));
    s.bind(1, ids[pos]);
    if (!s.step()) {
        rowMissing = true; // taken away by another workstation
        return;
    }
    row.reserve(names.size());
    for (int i = 0; i < names.size(); ++i)
        row.append(fromStored(i, s.value(i)));
}

void Recordset::moveFirst() {
    if (ids.isEmpty())
        throw noCurrentRow();
    mode = EditMode::None;
    pos = 0;
    load();
}

void Recordset::moveLast() {
    if (ids.isEmpty())
        throw noCurrentRow();
    mode = EditMode::None;
    pos = ids.size() - 1;
    load();
}

void Recordset::moveNext() {
    if (!currentDeleted && eof())
        throw noCurrentRow();
    mode = EditMode::None;
    if (!currentDeleted)
        ++pos;
    load();
}

void Recordset::movePrevious() {
    if (ids.isEmpty() || pos < 0)
        throw noCurrentRow();
    mode = EditMode::None;
    --pos;
    load();
}

void Recordset::requireCurrent() const {
    if (currentDeleted || rowMissing)
        throw StoreError(Kind::NoCurrentRow, QStringLiteral("Record is deleted."));
    if (pos < 0 || pos >= ids.size())
        throw noCurrentRow();
}

qint64 Recordset::currentRowId() const {
    requireCurrent();
    return ids[pos];
}

QVariant Recordset::field(const QString &name) const {
    const int column = columnOf(name);
    if (mode != EditMode::None)
        return buffer[column];
    requireCurrent();
    return row.value(column);
}

QVariant Recordset::fromStored(int column, const QVariant &value) const {
    if (value.isNull())
        return {};
    switch (types[column]) {
    case FieldDef::Date:
        return readDate(value.toString());
    case FieldDef::YesNo:
        return value.toLongLong() != 0;
    case FieldDef::Text:
        break;
    }
    return value.toString();
}

QVariant Recordset::toStored(int column, const QVariant &value) const {
    if (!value.isValid() || value.isNull())
        return {};
    switch (types[column]) {
    case FieldDef::Date: {
        const QDate d =
            value.typeId() == QMetaType::QDate ? value.toDate() : readDate(value.toString());
        if (!d.isValid()) {
            if (value.toString().trimmed().isEmpty())
                return {};
            throw StoreError(Kind::BadValue, QStringLiteral("\"%1\" is not a date for field %2.")
                                                 .arg(value.toString(), names[column]));
        }
        return d.toString(Qt::ISODate);
    }
    case FieldDef::YesNo:
        return value.toBool() || value.toString() == QLatin1String("-1");
    case FieldDef::Text:
        break;
    }
    const QString text = value.toString();
    requireNoNul(names[column], text);
    return text;
}

std::optional<qsizetype> Recordset::positionOf(qint64 rowId) const {
    // One pass over the keyset costs less than building a lookup table for a single find.
    const auto it = std::find(ids.cbegin(), ids.cend(), rowId);
    if (it == ids.cend())
        return std::nullopt;
    return it - ids.cbegin();
}

void Recordset::findFirst(const QString &criteria) {
    find(criteria, -1);
}

void Recordset::findNext(const QString &criteria) {
    find(criteria, currentDeleted ? pos - 1 : pos);
}

void Recordset::find(const QString &criteria, qsizetype after) {
    static const QRegularExpression form(
        QStringLiteral("^\\s*(\\w+)\\s*(=|<>|<=|>=|<|>)\\s*'((?:[^']|'')*)'\\s*$"));
    const auto m = form.match(criteria);
    if (!m.hasMatch())
        throw StoreError(Kind::BadCriteria,
                         QStringLiteral("Syntax error in the find criteria: %1").arg(criteria));
    const int column = columnOf(m.captured(1));
    QVariant value = m.captured(3).replace(QStringLiteral("''"), QStringLiteral("'"));
    if (types[column] == FieldDef::Date) {
        const QDate d = readDate(value.toString());
        value = d.isValid() ? QVariant(d.toString(Qt::ISODate)) : value;
    }
    const bool text = types[column] == FieldDef::Text;
    const QString field = quotedName(names[column]);
    const QString param = QStringLiteral("?1");
    Statement s(db, QStringLiteral("SELECT rowid FROM %1 WHERE %2 %3 %4 ORDER BY %5")
                        .arg(quotedName(table), text ? db.textKey(field) : field, m.captured(2),
                             text ? db.textKey(param) : param, orderSql));
    s.bind(1, value);
    // Rows come in the selection's order, so the first one beyond the start is the answer.
    while (s.step()) {
        const auto at = positionOf(s.int64(0));
        if (at && *at > after) {
            lastNoMatch = false;
            mode = EditMode::None;
            pos = *at;
            load();
            return;
        }
    }
    lastNoMatch = true;
}

void Recordset::addNew() {
    mode = EditMode::Add;
    buffer = QVector<QVariant>(names.size());
    changed = QVector<bool>(names.size(), false);
}

void Recordset::edit() {
    requireCurrent();
    mode = EditMode::Edit;
    buffer = row;
    buffer.resize(names.size());
    changed = QVector<bool>(names.size(), false);
}

void Recordset::setField(const QString &name, const QVariant &value) {
    const int column = columnOf(name);
    if (mode == EditMode::None)
        edit();
    buffer[column] = value;
    changed[column] = true;
}

void Recordset::update() {
    if (mode == EditMode::None)
        throw StoreError(Kind::Other, QStringLiteral("Update without AddNew or Edit."));
    QStringList columns;
    QVector<QVariant> values;
    for (int i = 0; i < names.size(); ++i) {
        if (changed[i]) {
            columns << quotedName(names[i]);
            values << toStored(i, buffer[i]);
        }
    }
    if (mode == EditMode::Add) {
        QStringList marks;
        for (int i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?%1").arg(i + 1);
        Statement s(db, columns.isEmpty()
                            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING rowid")
                                  .arg(quotedName(table))
                            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING rowid")
                                  .arg(quotedName(table), columns.join(", "), marks.join(", ")));
        for (int i = 0; i < values.size(); ++i)
            s.bind(i + 1, values[i]);
        s.step();
        // A new row shows at the end of the selection until it is queried again.
        ids.append(s.int64(0));
        s.reset(); // the engine counts the row once the statement is done
        // Beyond a few added rows, reading the whole selection again costs less than placing
        // each one.
        const bool alone = readMark.known() && ids.size() - placed <= 64;
        const Database::ChangeMark expected{readMark.others, readMark.ownRows + 1};
        readMark = alone ? db.changeMark(table) : Database::ChangeMark();
        if (readMark != expected)
            readMark = {};
    } else if (!columns.isEmpty()) {
        QStringList sets;
        for (int i = 0; i < columns.size(); ++i)
            sets << QStringLiteral("%1 = ?%2").arg(columns[i]).arg(i + 1);
        Statement s(db, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                            .arg(quotedName(table), sets.join(", "))
                            .arg(values.size() + 1));
        for (int i = 0; i < values.size(); ++i)
            s.bind(i + 1, values[i]);
        s.bind(values.size() + 1, ids[pos]);
        s.step();
    }
    mode = EditMode::None;
    load();
}

void Recordset::cancelUpdate() {
    mode = EditMode::None;
}

void Recordset::deleteCurrent() {
    requireCurrent();
    mode = EditMode::None;
    Statement s(db, QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(quotedName(table)));
    s.bind(1, ids[pos]);
    s.step();
    ids.remove(pos);
    if (pos < placed)
        --placed;
    row.clear();
    currentDeleted = true; // the next move goes to the row that followed it
}
