#pragma once

#include "store/Database.h"

// The deal table ZEL: its 46 fields in their fixed order, and its indexes.
namespace DealSchema {
// The fields by their position in the table.
enum Field : int {
    DateSold,
    ByLName,
    ByFirstMI,
    CByLName,
    CByFirstMI,
    ByAdr,
    ByCity,
    ByStateZip,
    ByDOB,
    CByDOB,
    ByPhone,
    Salesman,
    FIMgr,
    Term,
    APR,
    LAHElig,
    SrvElig,
    FinanceSrc,
    AmountFin,
    MoPmt,
    StkNbr,
    NewUsed,
    Year,
    Make,
    Model,
    VinNbr,
    UnitPrft,
    SmComm1,
    SmComm2,
    ASMComm,
    FIComm,
    FinRes,
    SrvRes,
    LifeRes,
    AHRes,
    Prft1,
    PrftAmt1,
    Prft2,
    PrftAmt2,
    Prft3,
    PrftAmt3,
    Pack,
    LNKey,
    DelDT,
    Delivered,
    AdminFee
};

inline const QString Table = QStringLiteral("ZEL");
const QList<FieldDef> &fields();
const QList<IndexDef> &indexes();
int fieldCount();
// The position of a field by its name (letter case aside); -1 when the table has none.
int positionOf(const QString &name);

// The personal data of the buyer and co-buyer: names, address, city, state and zip, phone and
// birth dates. The key LNKey holds the last name too.
const QList<int> &personalFields();
bool isPersonal(int field);
} // namespace DealSchema

// Makes a new database file at path holding the empty deal table and the record of changes.
// Fails when the file exists.
void createDealDatabase(const QString &path);

// Opens the deal database and brings it to the current layout: an empty table is made anew,
// an older table gets the fields it lacks, an older database the record of changes and the
// table of the office's settings. A file that cannot be read is reported, never replaced.
enum class OpenOutcome { Current, Recreated, Upgraded };
OpenOutcome openDealDatabase(const QString &path);
