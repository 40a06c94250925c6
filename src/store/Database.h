#pragma once

#include "store/StoreError.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;
class Recordset;

// A field of a table definition.
struct FieldDef {
    enum Type { Text, Date, YesNo };
    QString name;
    Type type = Text;
    int size = 0; // characters, for text fields
    bool allowZeroLength = true;
    bool operator==(const FieldDef &) const = default;
};

// A single-field ascending index.
struct IndexDef {
    QString name;
    QString field;
    bool primary = false;
    bool unique = false;
    bool operator==(const IndexDef &) const = default;
};

// A prepared statement, finalized when it goes out of scope.
class Statement {
public:
    Statement(sqlite3 *db, const QString &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    void bind(int index, const QVariant &value); // from 1
    // UTF-8 text that is not copied: it must stay as it is until the statement is reset. An
    // empty text is the zero-length text, not Null.
    void bindUtf8(int index, const char *data, qsizetype size);
    void bindNull(int index);
    bool step(); // true while a row is there
    void reset();
    int columnCount() const;
    qint64 int64(int column) const;
    QVariant value(int column) const; // Null, integer, real or text
    bool isNull(int column) const;
    QByteArrayView utf8(int column) const; // a text column's bytes, valid until the next step
    int changes() const;                   // rows the last step wrote
    // Appends the column as text to into: the characters appended, or -1 for Null.
    qsizetype appendText(int column, QString &into) const;

private:
    sqlite3 *db;
    sqlite3_stmt *stmt = nullptr;
};

// The deal database file. Owns its connection; every failure is a StoreError.
class Database {
public:
    // A new, empty database file; fails when the file exists already.
    static std::unique_ptr<Database> create(const QString &path);
    // An existing database, shared, for reading and writing.
    static std::unique_ptr<Database> open(const QString &path);

    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    const QString &path() const { return filePath; }
    sqlite3 *handle() const { return db; }

    void createTable(const QString &table, const QList<FieldDef> &fields,
                     const QList<IndexDef> &indexes);
    void addField(const QString &table, const FieldDef &field); // after all existing fields
    void dropTable(const QString &table);
    bool hasTable(const QString &table);
    bool hasAnyTable();
    QList<FieldDef> fields(const QString &table);
    QList<IndexDef> indexes(const QString &table);

    // An ordered selection ("SELECT *FROM ZEL ORDER BY a, b") or a whole table by its name
    // (in the order of its primary key), as an updatable record set.
    std::unique_ptr<Recordset> openRecordset(const QString &queryText);

    void exec(const QString &sql);
    qint64 lastInsertRowId() const;

    // Compacts the database into a new file (which must not exist) without the space of deleted
    // rows.
    void compactInto(const QString &newPath);
    // What the engine finds wrong with the file, at most `most` lines; empty when it is sound.
    // A file whose tables cannot even be listed gives that failure as its one line.
    QStringList integrityProblems(int most = 10);
    // Builds every index again from its table.
    void rebuildIndexes();

    // Turns the connection's last failure into a StoreError.
    [[noreturn]] void fail(int code, const QString &context = {}) const;

private:
    Database(sqlite3 *db, QString path) : db(db), filePath(std::move(path)) {}
    static std::unique_ptr<Database> connect(const QString &path, int flags);

    sqlite3 *db;
    QString filePath;
};

// Commits explicitly; rolls back when it goes out of scope otherwise. Immediate: takes the
// write lock at once, so that two workstations never deadlock upgrading their locks.
class Transaction {
public:
    explicit Transaction(Database &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void commit();

private:
    Database &db;
    bool open = true;
};

// The engine counts the characters of a text only up to a NUL, so its size rules would let
// anything after one through: every text written to a table is refused with a NUL in it.
void requireNoNul(const QString &field, QStringView text);

// Quotes a name for the database's own language after checking it is a plain name.
QString quotedName(const QString &name);
