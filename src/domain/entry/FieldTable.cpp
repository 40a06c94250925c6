#include "domain/entry/FieldTable.h"

namespace {
// Boxes in the terminal font stand 270 twips high, the others 240.
EntryField box(int index, const char *field, const char *caption, const char *tooltip, char kind,
               int maxLength, bool right, int left, int top, int width) {
    const bool terminal = (index >= 1 && index <= 7) || index == 11 || index == 12 ||
                          (index >= 15 && index <= 17) || (index >= 20 && index <= 25);
    const bool widthScaled = index == 10 || index == 13 || index == 14 || index == 18 ||
                             index == 19 || (index >= 26 && index <= 41) || index == 43;
    return {index,
            QString::fromLatin1(field),
            QString::fromLatin1(caption),
            QString::fromLatin1(tooltip),
            QChar::fromLatin1(kind),
            maxLength,
            right,
            terminal,
            left,
            top,
            width,
            terminal ? 270 : 240,
            widthScaled ? QStringLiteral("F:W%") : QStringLiteral("F:")};
}
} // namespace

const QList<EntryField> &FieldTable::fields() {
    static const QList<EntryField> all = {
        box(0, "DateSold", "Date Sold", "Enter Date Sold (##/##/####)", 'D', 10, false, 1880, 600,
            960),
        box(1, "ByLName", "Last Name", "Enter Buyer's Last Name or Last Part of Company Name", 'S',
            15, false, 1680, 1160, 1680),
        box(2, "ByFirstMI", "First MI",
            "Enter Buyer's First Name and Middle Initial or First Part of Company Name", 'S', 15,
            false, 3700, 1160, 1680),
        box(3, "CByLName", "Last Name", "Enter Spouse or CoBuyer's Last Name", 'S', 15, false, 1680,
            1460, 1680),
        box(4, "CByFirstMI", "First MI",
            "Enter Spouse or Co-Buyer's First Name and Middle  Initial", 'S', 15, false, 3700, 1460,
            1680),
        box(5, "ByAdr", "Address", "Enter Buyer's Street Address", 'S', 30, false, 1680, 1840,
            3240),
        box(6, "ByCity", "City", "Enter Buyer's City", 'S', 15, false, 1680, 2140, 1680),
        box(7, "ByStateZip", "State/Zip", "Enter Buyer's State (Two Letter Code) and Zip Code", 'S',
            8, false, 4560, 2140, 960),
        box(8, "ByDOB", "Buyer DOB", "Enter Buyer's Date of Birth (##/##/####)", 'D', 10, false,
            1680, 2440, 960),
        box(9, "CByDOB", "Spouse DOB", "Enter Spouse Date of Birth (##/##/####)", 'D', 10, false,
            4560, 2440, 960),
        box(10, "ByPhone", "Phone #", "Enter Buyer's Phone Number", 'S', 25, false, 1680, 2740,
            2400),
        box(11, "Salesman", "Salesperson", "Enter Salesperson Name", 'S', 30, false, 1680, 3040,
            3240),
        box(12, "FIMgr", "FI MGR", "Enter Three Letter Code for FI Manager", 'S', 3, false, 1680,
            3340, 480),
        box(13, "Term", "Term", "Enter Number of Payments", 'N', 3, false, 1680, 4160, 600),
        box(14, "APR", "APR/Lease Rate", "Enter APR or Lease Rate", 'V', 8, true, 3920, 4160, 960),
        box(15, "LAHElig", "LAH Eligible", "Enter Y if Eligible for Credit Insurance", 'S', 1,
            false, 1680, 4500, 300),
        box(16, "SrvElig", "Service Cnt Eligible", "Enter Y if Eligible for Service Contract", 'S',
            1, false, 3920, 4500, 300),
        box(17, "FinanceSrc", "Finance Source", "Enter Finance Source Three Letter Code", 'S', 3,
            false, 1680, 4840, 480),
        box(18, "AmountFin", "Amount Financed", "Enter Amount Finance or Net Cap Cost", 'V', 12,
            true, 1680, 5180, 1200),
        box(19, "MoPmt", "Monthly Pmt", "Enter Monthly Pmt or Lease Payment", 'V', 12, true, 1680,
            5520, 1200),
        box(20, "StkNbr", "Stock #", "Enter Unit Stock Number", 'S', 8, false, 7140, 110, 960),
        box(21, "NewUsed", "New/Used", "Enter Unit Status (New/Used/..ETC). One Letter Only", 'S',
            1, false, 7140, 400, 300),
        box(22, "Year", "Year", "Enter Year of Unit", 'K', 4, false, 8780, 400, 540),
        box(23, "Make", "Make", "Enter Make of Unit", 'S', 10, false, 7140, 700, 1140),
        box(24, "Model", "Model", "Enter Model of Unit", 'S', 8, false, 7140, 1000, 960),
        box(25, "VinNbr", "Vin #", "Enter Serial Number (VIN) of Unit", 'S', 18, false, 7140, 1300,
            2040),
        box(26, "UnitPrft", "Unit Profit", "Enter Unit Profit", 'V', 10, true, 8400, 1790, 960),
        box(27, "SmComm1", "Salesman Commission", "Enter Salesman 1 Commission", 'V', 12, true,
            8400, 2040, 960),
        box(28, "SmComm2", "Salesman 2 Commission", "Enter Salesman 2 Commission", 'V', 12, true,
            8400, 2290, 960),
        box(29, "ASMComm", "ASM Commission", "Enter ASM Commission", 'V', 12, true, 8400, 2550,
            960),
        box(30, "FIComm", "FI Commission", "Enter FI Commission", 'V', 12, true, 8400, 2800, 960),
        box(31, "FinRes", "Finance Reserve", "Enter Finance Reserve", 'V', 12, true, 8400, 3060,
            960),
        box(32, "SrvRes", "Service Contract Reserve", "Enter Service Contract Reserve", 'V', 12,
            true, 8400, 3310, 960),
        box(33, "LifeRes", "Life Reserve", "Enter Credit Life Reserve", 'V', 12, true, 8400, 3570,
            960),
        box(34, "AHRes", "AH Reserve", "Enter Credit Disability Reserve", 'V', 12, true, 8400, 3820,
            960),
        box(35, "Prft1", "", "Enter Description of First Other Profit", 'S', 0, true, 6100, 4080,
            2220),
        box(36, "PrftAmt1", "", "Enter First Other Profit Amount", 'V', 12, true, 8400, 4080, 960),
        box(37, "Prft2", "", "Enter Description of Second Other Profit", 'S', 0, true, 6100, 4330,
            2220),
        box(38, "PrftAmt2", "", "Enter Second Other Profit Amount", 'V', 12, true, 8400, 4330, 960),
        box(39, "Prft3", "", "Enter Description of Third Other Profit", 'S', 0, true, 6100, 4590,
            2220),
        box(40, "PrftAmt3", "", "Enter Third Other Profit Amount", 'V', 12, true, 8400, 4590, 960),
        box(41, "Pack", "Pack", "Enter Dealer Pack", 'V', 12, true, 8400, 5100, 960),
        box(42, "DelDT", "Delivery Date", "Enter Delivery Date (##/##/####)", 'D', 10, false, 1680,
            3640, 960),
        box(43, "AdminFee", "Admin Fee", "Enter Dealer Pack", 'V', 12, true, 8400, 5350, 960),
    };
    return all;
}

const EntryField &FieldTable::at(int index) {
    return fields().at(index);
}

QChar FieldTable::kindOf(int index) {
    return fields().at(index).kind;
}
