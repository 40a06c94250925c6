#pragma once

#include <QList>
#include <QString>

// The 44 boxes of the entry screen, by index: the field each shows, its caption, tooltip,
// kind, longest text, font, alignment, and where it stands on the design area (twips).
struct EntryField {
    int index;
    QString field;   // the deal field the box is bound to
    QString caption; // the label beside the box ("" when the box has none)
    QString tooltip;
    QChar kind;    // 'D' date, 'N' whole number, 'K' model year, 'V' amount or rate, 'S' text
    int maxLength; // 0: no limit of its own
    bool rightAligned;
    bool terminalFont; // fixed-pitch 9 point; otherwise bold serif 6.75 point
    int left, top, width, height;
    QString tag; // screen fitting: "F:" or "F:W%"
};

namespace FieldTable {
const QList<EntryField> &fields();
const EntryField &at(int index);
QChar kindOf(int index);
constexpr int count = 44;
// The tab order of the boxes (the buttons and the panel come between, see the form).
constexpr int dateSold = 0, lastName = 1, buyerBirth = 8, spouseBirth = 9, term = 13, apr = 14,
              amountFin = 18, stockNumber = 20, year = 22, unitProfit = 26, finRes = 31, prft1 = 35,
              prftAmt1 = 36, pack = 41, delivery = 42, adminFee = 43;
} // namespace FieldTable
