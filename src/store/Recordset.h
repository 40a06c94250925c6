#pragma once

#include "store/Database.h"

#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>

// An updatable, ordered selection of one table, kept as the ordered list of its row ids
// (a keyset): opening or re-querying reads the ids in order, a move reads that one row.
class Recordset {
public:
    Recordset(Database &db, const QString &queryText);

    bool eof() const { return pos >= ids.size(); }
    bool bof() const { return pos < 0 || ids.isEmpty(); }
    int recordCount() const { return int(ids.size()); }
    int absolutePosition() const { return int(pos); }

    // Moves; each fails with NoCurrentRow on an empty selection or past an end.
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();

    const QStringList &fieldNames() const { return names; }
    FieldDef::Type fieldType(const QString &name) const;
    // A field of the current row (or of the row being added or edited); Null aware.
    QVariant field(const QString &name) const;

    // Finds the first, or the next after the current row, meeting a criteria text such as
    // "StkNbr = 'A1'" or "LNKey > 'SMI'". Stays put and sets noMatch() when none does.
    void findFirst(const QString &criteria);
    void findNext(const QString &criteria);
    bool noMatch() const { return lastNoMatch; }

    enum class EditMode { None, Edit, Add };
    EditMode editMode() const { return mode; }
    void addNew();                                             // starts a new row
    void edit();                                               // starts changing the current row
    void setField(const QString &name, const QVariant &value); // starts edit() when needed
    void update();                                             // writes the new or changed row
    void cancelUpdate();                                       // drops it
    void deleteCurrent();
    void requery(); // reads the selection again; the first row becomes current

    qint64 currentRowId() const;

private:
    int columnOf(const QString &name) const;
    void load();
    void readIds();
    bool placeAdded();
    void requireCurrent() const;
    std::optional<qsizetype> positionOf(qint64 rowId) const;
    void find(const QString &criteria, qsizetype after);
    QVariant toStored(int column, const QVariant &value) const;
    QVariant fromStored(int column, const QVariant &value) const;

    Database &db;
    QString table;
    QString orderSql;
    QString columnsSql; // every field, in table order
    QStringList names;
    QVector<FieldDef::Type> types;
    QVector<qint64> ids;
    // Where the table stood when ids were read. While it is known, the first `placed` ids are the
    // table's in order and the rest are rows added here since, to be put in place by requery.
    Database::ChangeMark readMark;
    qsizetype placed = 0;
    qsizetype pos = -1;
    bool currentDeleted = false;
    QVector<QVariant> row; // the current row as read
    bool rowMissing = false;
    EditMode mode = EditMode::None;
    QVector<QVariant> buffer;
    QVector<bool> changed;
    bool lastNoMatch = false;
};

// A find criteria text for a value, with the value's quotes doubled so that it is searched
// for exactly as typed.
QString findCriteria(const QString &field, const QString &op, const QString &value);
