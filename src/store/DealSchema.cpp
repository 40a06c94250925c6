#include "store/DealSchema.h"

#include "store/Audit.h"
#include "store/OfficePassword.h"
#include "store/Recordset.h"

namespace {
FieldDef text(const char *name, int size, bool allowZeroLength = true) {
    return {QString::fromLatin1(name), FieldDef::Text, size, allowZeroLength};
}
FieldDef date(const char *name) {
    return {QString::fromLatin1(name), FieldDef::Date, 0, false};
}

// The fields a later version added; an older table gets them at the end. AdminFee added this
// way does not take the zero-length text, unlike the same field of a new table.
const QList<FieldDef> &laterFields() {
    static const QList<FieldDef> later = {date("DelDT"),
                                          {QStringLiteral("Delivered"), FieldDef::YesNo, 0, false},
                                          text("AdminFee", 12, false)};
    return later;
}

void createDealTable(Database &db) {
    db.createTable(DealSchema::Table, DealSchema::fields(), DealSchema::indexes());
}

// The tables beside the deals: the record of changes and the office's settings. Adding them
// leaves the deals as they are, so it is not told as bringing the database up to date.
void ensureSideTables(Database &db) {
    Audit::ensureTable(db);
    OfficePassword::ensureTable(db);
}
} // namespace

const QList<FieldDef> &DealSchema::fields() {
    static const QList<FieldDef> all = {
        date("DateSold"),
        text("ByLName", 15, false),
        text("ByFirstMI", 15),
        text("CByLName", 15),
        text("CByFirstMI", 15),
        text("ByAdr", 30),
        text("ByCity", 15),
        text("ByStateZip", 8),
        text("ByDOB", 10),
        text("CByDOB", 10),
        text("ByPhone", 25),
        text("Salesman", 30),
        text("FIMgr", 3),
        text("Term", 3),
        text("APR", 8),
        text("LAHElig", 1),
        text("SrvElig", 1),
        text("FinanceSrc", 3),
        text("AmountFin", 12),
        text("MoPmt", 12),
        text("StkNbr", 8, false),
        text("NewUsed", 1),
        text("Year", 4),
        text("Make", 10),
        text("Model", 8),
        text("VinNbr", 18),
        text("UnitPrft", 12),
        text("SmComm1", 12),
        text("SmComm2", 12),
        text("ASMComm", 12),
        text("FIComm", 12),
        text("FinRes", 12),
        text("SrvRes", 12),
        text("LifeRes", 12),
        text("AHRes", 12),
        text("Prft1", 20),
        text("PrftAmt1", 12),
        text("Prft2", 20),
        text("PrftAmt2", 12),
        text("Prft3", 20),
        text("PrftAmt3", 12),
        text("Pack", 12),
        text("LNKey", 23),
        date("DelDT"),
        {QStringLiteral("Delivered"), FieldDef::YesNo, 0, false},
        text("AdminFee", 12),
    };
    return all;
}

const QList<IndexDef> &DealSchema::indexes() {
    static const QList<IndexDef> all = {
        {QStringLiteral("LNKey"), QStringLiteral("LNKey"), true, true},
        {QStringLiteral("StkNbr"), QStringLiteral("StkNbr"), false, true},
        {QStringLiteral("DateSold"), QStringLiteral("DateSold"), false, false},
    };
    return all;
}

int DealSchema::fieldCount() {
    return int(fields().size());
}

int DealSchema::positionOf(const QString &name) {
    for (int i = 0; i < fieldCount(); ++i) {
        if (fields()[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

const QList<int> &DealSchema::personalFields() {
    static const QList<int> personal = {ByLName, ByFirstMI,  CByLName, CByFirstMI, ByAdr,
                                        ByCity,  ByStateZip, ByDOB,    CByDOB,     ByPhone};
    return personal;
}

bool DealSchema::isPersonal(int field) {
    return personalFields().contains(field);
}

void createDealDatabase(const DatabaseAddress &address) {
    auto db = Database::create(address);
    Transaction t(*db);
    createDealTable(*db);
    ensureSideTables(*db);
    t.commit();
}

namespace {
// Adds the fields an older table lacks; whether it did.
bool addLaterFields(Database &db) {
    QStringList have;
    for (const FieldDef &f : db.fields(DealSchema::Table))
        have << f.name.toLower();
    bool upgraded = false;
    for (const FieldDef &f : laterFields()) {
        if (!have.contains(f.name.toLower())) {
            db.addField(DealSchema::Table, f);
            upgraded = true;
        }
    }
    return upgraded;
}

OpenOutcome openOnServer(Database &db) {
    Transaction t(db);
    // One workstation at a time makes or upgrades the table; the others then find it done.
    Statement one(db, QStringLiteral("SELECT pg_advisory_xact_lock(1448037453, 5915981)"));
    one.step();
    if (!db.hasTable(DealSchema::Table)) {
        createDealTable(db);
        ensureSideTables(db);
        t.commit();
        return OpenOutcome::Recreated;
    }
    ensureSideTables(db);
    const bool upgraded = addLaterFields(db);
    db.upgradeIndexes(DealSchema::Table, DealSchema::fields(), DealSchema::indexes());
    t.commit();
    return upgraded ? OpenOutcome::Upgraded : OpenOutcome::Current;
}
} // namespace

OpenOutcome openDealDatabase(const DatabaseAddress &address) {
    auto db = Database::open(address);
    if (address.onServer())
        return openOnServer(*db);
    const QString &path = address.file();
    if (!db->hasTable(DealSchema::Table)) {
        // An empty file is an empty database; anything else without the deal table is not ours.
        if (db->hasAnyTable())
            throw StoreError(StoreError::Kind::NotADatabase,
                             QStringLiteral("The file %1 is not a deal database (it has no table "
                                            "ZEL); it was left as it is.")
                                 .arg(path));
        Transaction t(*db);
        createDealTable(*db);
        ensureSideTables(*db);
        t.commit();
        return OpenOutcome::Recreated;
    }
    // The table is made anew only when it positively holds no deal, and under the write lock so
    // that no workstation adds one in between.
    Transaction t(*db);
    {
        Statement any(*db, QStringLiteral("SELECT 1 FROM \"ZEL\" LIMIT 1"));
        if (!any.step()) {
            db->dropTable(DealSchema::Table);
            createDealTable(*db);
            ensureSideTables(*db);
            t.commit();
            return OpenOutcome::Recreated;
        }
    }
    ensureSideTables(*db);
    const bool upgraded = addLaterFields(*db);
    t.commit();
    return upgraded ? OpenOutcome::Upgraded : OpenOutcome::Current;
}
