#pragma once

#include "store/Database.h"

#include <QByteArray>
#include <QStringList>
#include <QStringView>
#include <vector>

// A selection text: "SELECT *FROM ZEL ORDER BY a, b DESC" (the blank before FROM may be
// missing) or a bare table name.
struct SelectionText {
    QString table;
    QStringList order; // field names, each optionally followed by " DESC"
};
SelectionText parseSelection(const QString &queryText);

// One term of a selection's order: a field by its position in the table.
struct OrderTerm {
    int field;
    bool descending;
};
// The order of a selection over a table's fields, checked against them; the primary order when
// the selection names none.
QList<OrderTerm> orderTerms(const SelectionText &selection, const QList<FieldDef> &fields,
                            const QStringList &primaryOrder);

// The ORDER BY terms of an order over a table's fields, with the row id last so that equal
// keys keep one order. Texts go by the database's text key.
QString orderSql(const Database &db, const QList<OrderTerm> &terms, const QList<FieldDef> &fields);

// A text's place in the order of the database's text key (Database::textKey), as bytes to be
// compared one by one, added to the end of into: the letters A to Z as a to z, everything else
// by its character code.
void appendTextOrderKey(QByteArray &into, QStringView text);
// How the order keys of two texts compare (negative, 0, positive), without making them while
// both are plain ASCII.
int compareTextOrderKeys(QStringView a, QStringView b);

// An ordered, read-only copy of some fields of a selection, held compactly in memory so that a
// report can walk it several times.
class SelectionCopy {
public:
    // Selected: in the selection's order. Stored: in the order the rows are kept, which needs
    // no sorting, for a reader that does not depend on the order; the rows that the selection
    // would give in the order of their row ids keep that order.
    enum class RowOrder { Selected, Stored };
    // fields: positions in the table of the fields to copy.
    SelectionCopy(Database &db, const QString &queryText, const QList<int> &fields,
                  RowOrder order = RowOrder::Selected);

    RowOrder order() const { return rowOrder; }
    qsizetype rows() const { return rowCount; }
    bool holds(int field) const { return field >= 0 && field < slot.size() && slot[field] >= 0; }
    bool isNull(qsizetype row, int field) const { return cellAt(row, field).length < 0; }
    // The field's text as stored: dates as yyyy-mm-dd, yes/no as 1 or 0; Null gives "".
    QStringView view(qsizetype row, int field) const;

private:
    struct Cell {
        qint32 offset;
        qint32 length; // -1 for Null
    };
    const Cell &cellAt(qsizetype row, int field) const;
    // Puts the rows, read in the order of their row ids, in the order of the terms, each term
    // reading the copy's column of the same place in columns.
    void sortRows(const QList<OrderTerm> &terms, const QList<FieldDef> &fields,
                  const QList<int> &columns);

    QVector<int> slot; // table position -> column of the copy, -1 when not copied
    int width = 0;
    RowOrder rowOrder;
    qsizetype rowCount = 0;
    std::vector<Cell> cells;
    QString text;
};
