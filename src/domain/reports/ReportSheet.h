#pragma once

#include "base/Format.h"
#include "base/Pieces.h"

#include <QDate>
#include <QList>
#include <QString>
#include <functional>

// A report's figures as rows of typed cells: what a spreadsheet or a CSV file of the report
// holds. Dates stay dates and amounts stay numbers, exactly as the report summed them.
struct SheetCell {
    enum Kind { Empty, Text, Date, Money, Count, Units, Percent, Rate };
    Kind kind = Empty;
    QString text;    // Text
    QDate date;      // Date
    Currency amount; // Money, Units, Percent
    qint64 count = 0;
    double rate = 0; // Rate: an interest rate of five decimals

    static SheetCell ofText(const QString &text) { return {Text, text, {}, {}, 0, 0}; }
    static SheetCell ofDate(const QDate &date) { return {Date, {}, date, {}, 0, 0}; }
    static SheetCell ofMoney(Currency amount) { return {Money, {}, {}, amount, 0, 0}; }
    static SheetCell ofCount(qint64 count) { return {Count, {}, {}, {}, count, 0}; }
    static SheetCell ofUnits(Currency units) { return {Units, {}, {}, units, 0, 0}; }
    static SheetCell ofPercent(Currency percent) { return {Percent, {}, {}, percent, 0, 0}; }
    static SheetCell ofRate(double rate) { return {Rate, {}, {}, {}, 0, rate}; }
    bool isNumber() const { return kind >= Money; }
};

struct SheetColumn {
    QString heading;
    int width; // in characters
};

// A row of totals adds up its column's numbers over the data rows above the first totals row;
// a spreadsheet gets it as a formula.
struct SheetRow {
    QList<SheetCell> cells;
    bool sum = false;   // a totals row whose numbers are the sums of the data rows
    bool below = false; // under the data: a totals or averages row, outside the filter
};

struct ReportSheet {
    QString name; // the worksheet's name
    QList<SheetColumn> columns;
    QList<SheetRow> rows;
    // Data rows made when read, after rows: blockRows for each of blocks, made by makeBlock. A
    // report of thousands of salespeople keeps their sums, not a hundred thousand rows of cells.
    // makeBlock sets rows to the block's rows; rows holds the rows it made last for the same
    // reader, whose room it may reuse rather than allocate every row's cells again.
    std::function<void(int block, QList<SheetRow> &rows)> makeBlock;
    int blocks = 0;
    int blockRows = 0;

    bool isEmpty() const { return columns.isEmpty(); }
    // The data rows come first; rows marked below follow them.
    qsizetype dataRows() const {
        qsizetype n = 0;
        while (n < rows.size() && !rows[n].below)
            ++n;
        return n < rows.size() ? n : n + qsizetype(blocks) * blockRows;
    }
    // Calls visit with every row in order, the made ones included.
    template <class Visit> void forEachRow(Visit &&visit) const {
        for (const SheetRow &row : rows)
            visit(row);
        QList<SheetRow> made;
        for (int block = 0; block < blocks; ++block) {
            makeBlock(block, made);
            for (const SheetRow &row : made)
                visit(row);
        }
    }
    // Every row turned into bytes in the order forEachRow gives, the made ones a piece of
    // blocks at a time on two threads (makeInPieces): encode appends a row to a piece and must
    // be safe to call from both, as makeBlock is. write takes the pieces in turn.
    void encodeRows(const std::function<void(QByteArray &piece, const SheetRow &row)> &encode,
                    const std::function<void(const QByteArray &)> &write) const {
        QByteArray kept;
        for (const SheetRow &row : rows)
            encode(kept, row);
        write(kept);
        const int perPiece = std::max(1, 2048 / std::max(1, blockRows));
        makeInPieces((blocks + perPiece - 1) / perPiece,
                     [&](qsizetype piece, bool, QByteArray &into) {
                         QList<SheetRow> made;
                         const int last = std::min(blocks, int(piece + 1) * perPiece);
                         for (int block = int(piece) * perPiece; block < last; ++block) {
                             makeBlock(block, made);
                             for (const SheetRow &row : made)
                                 encode(into, row);
                         }
                     },
                     write);
    }
};
