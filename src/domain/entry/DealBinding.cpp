#include "domain/entry/DealBinding.h"

#include "base/Format.h"
#include "domain/entry/FieldTable.h"
#include "store/Audit.h"
#include "store/DealSchema.h"

#include <algorithm>

namespace {
const QString keyField = QStringLiteral("LNKey");
const QString deliveredField = QStringLiteral("Delivered");

QString boxText(const QVariant &value) {
    if (value.typeId() == QMetaType::QDate)
        return formatDate(value.toDate(), QStringLiteral("mm/dd/yyyy"));
    return FieldText(value);
}

// A personal field's value is not kept in the record of changes.
std::optional<QString> recorded(const QString &field, const QString &text) {
    if (DealSchema::isPersonal(DealSchema::positionOf(field)))
        return std::nullopt;
    return text;
}

QString yesNo(bool yes) {
    return yes ? QStringLiteral("Yes") : QStringLiteral("No");
}

// An empty date box stores no date; every other box stores its text as it stands.
QVariant storedValue(int index, const QString &text) {
    if (FieldTable::kindOf(index) == QLatin1Char('D') && text.trimmed().isEmpty())
        return {};
    return text;
}
} // namespace

void DealBinding::open(const QString &path) {
    release();
    auto marked = DatabaseUse::take(path, DatabaseUse::Mode::Shared, 10000);
    if (!marked)
        throw StoreError(StoreError::Kind::Busy,
                         QStringLiteral("The deal database is being purged and rebuilt on another "
                                        "workstation, so it cannot be opened now. Try again when "
                                        "that is done."));
    auto database = Database::open(path);
    records = database->openRecordset(DealSchema::Table);
    db = std::move(database);
    use = std::move(marked);
}

void DealBinding::release() {
    records.reset();
    db.reset();
    use.reset();
}

Recordset &DealBinding::recordset() {
    if (!records)
        throw StoreError(StoreError::Kind::CannotOpen,
                         QStringLiteral("The deal database is not open."));
    return *records;
}

ShownDeal DealBinding::current() const {
    ShownDeal shown;
    if (!records || records->eof() || records->bof())
        return shown;
    try {
        for (const EntryField &f : FieldTable::fields())
            shown.boxes[f.index] = boxText(records->field(f.field));
        shown.lnKey = FieldText(records->field(keyField));
        shown.delivered = records->field(deliveredField).toBool();
    } catch (const StoreError &) {
        // The deal was taken away by another workstation: nothing to show.
        return ShownDeal();
    }
    return shown;
}

void DealBinding::put(const ShownDeal &now, const ShownDeal &loaded) {
    for (const EntryField &f : FieldTable::fields()) {
        if (now.boxes[f.index] != loaded.boxes[f.index])
            records->setField(f.field, storedValue(f.index, now.boxes[f.index]));
    }
    if (now.lnKey != loaded.lnKey)
        records->setField(keyField, now.lnKey);
    if (now.delivered != loaded.delivered)
        records->setField(deliveredField, now.delivered);
}

void DealBinding::record(const QString &action, const ShownDeal &before, const ShownDeal &after) {
    Audit::Writer audit(*db);
    // The deal is known by its stock number as it stands after the change.
    const QString &stock =
        (action == Audit::Action::Delete ? before : after).boxes[FieldTable::stockNumber];
    QList<const EntryField *> byPosition;
    for (const EntryField &f : FieldTable::fields())
        byPosition << &f;
    std::sort(byPosition.begin(), byPosition.end(), [](const EntryField *a, const EntryField *b) {
        return DealSchema::positionOf(a->field) < DealSchema::positionOf(b->field);
    });
    // In the table's order; the key follows from the last name and the stock number.
    for (const EntryField *f : byPosition) {
        const QString &was = before.boxes[f->index], &is = after.boxes[f->index];
        if (was != is)
            audit.write(action, stock, f->field, recorded(f->field, was), recorded(f->field, is));
    }
    if (before.delivered != after.delivered)
        audit.write(action, stock, deliveredField, yesNo(before.delivered), yesNo(after.delivered));
}

void DealBinding::writeChanges(const ShownDeal &now, const ShownDeal &loaded) {
    if (now == loaded || eof() || bof())
        return;
    Recordset &rs = recordset();
    Transaction t(*db);
    rs.edit();
    put(now, loaded);
    try {
        record(Audit::Action::Edit, loaded, now);
        rs.update();
        t.commit();
    } catch (...) {
        rs.cancelUpdate();
        throw;
    }
}

void DealBinding::deleteCurrent() {
    Recordset &rs = recordset();
    const ShownDeal stored = current();
    Transaction t(*db);
    record(Audit::Action::Delete, stored, ShownDeal());
    rs.deleteCurrent();
    t.commit();
}

void DealBinding::startNew() {
    recordset().addNew();
}

void DealBinding::saveNew(const ShownDeal &now) {
    Recordset &rs = recordset();
    // Started afresh: a refused attempt leaves its values in the pending row, and a box emptied
    // since then must not bring them back.
    rs.addNew();
    put(now, ShownDeal());
    Transaction t(*db);
    record(Audit::Action::Add, ShownDeal(), now);
    rs.update();
    t.commit();
}

void DealBinding::dropNew() {
    if (records && records->editMode() != Recordset::EditMode::None)
        records->cancelUpdate();
}

bool DealBinding::adding() const {
    return records && records->editMode() == Recordset::EditMode::Add;
}
