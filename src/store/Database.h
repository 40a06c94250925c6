#pragma once

#include "store/DatabaseAddress.h"
#include "store/StoreError.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <memory>

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

// What an engine gives a prepared statement; used through Statement.
class PreparedStatement {
public:
    virtual ~PreparedStatement() = default;
    virtual void bind(int index, const QVariant &value) = 0;
    virtual void bindUtf8(int index, const char *data, qsizetype size) = 0;
    virtual void bindNull(int index) = 0;
    virtual bool step() = 0;
    virtual void reset() = 0;
    virtual int columnCount() const = 0;
    virtual qint64 int64(int column) const = 0;
    virtual QVariant value(int column) const = 0;
    virtual bool isNull(int column) const = 0;
    virtual QByteArrayView utf8(int column) const = 0;
    virtual int changes() const = 0;
    virtual qsizetype appendText(int column, QString &into) const = 0;
};

class Database;

// A prepared statement of the database's own language, finalized when it goes out of scope.
// Parameters are written ?1, ?2...; values are always bound, never pasted into the text.
class Statement {
public:
    Statement(Database &db, const QString &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    void bind(int index, const QVariant &value) { p->bind(index, value); } // from 1
    // UTF-8 text that is not copied: it must stay as it is until the statement is reset. An
    // empty text is the zero-length text, not Null.
    void bindUtf8(int index, const char *data, qsizetype size) { p->bindUtf8(index, data, size); }
    void bindNull(int index) { p->bindNull(index); }
    bool step() { return p->step(); } // true while a row is there
    void reset() { p->reset(); }
    int columnCount() const { return p->columnCount(); }
    qint64 int64(int column) const { return p->int64(column); }
    // Null, integer, real or text; a date as its yyyy-mm-dd text, yes/no as 1 or 0.
    QVariant value(int column) const { return p->value(column); }
    bool isNull(int column) const { return p->isNull(column); }
    // A text column's bytes, valid until the next step.
    QByteArrayView utf8(int column) const { return p->utf8(column); }
    int changes() const { return p->changes(); } // rows the last step wrote
    // Appends the column as text to into: the characters appended, or -1 for Null.
    qsizetype appendText(int column, QString &into) const { return p->appendText(column, into); }

private:
    std::unique_ptr<PreparedStatement> p;
};

// The deal database. Owns its connection; every failure is a StoreError. The engines are
// SqliteDatabase (a file) and PgDatabase (a server).
class Database {
public:
    enum class Engine { SQLite, PostgreSQL };

    // A new, empty database file, which must not exist yet; on a server, the database, which
    // must exist.
    static std::unique_ptr<Database> create(const DatabaseAddress &address);
    // An existing database, shared, for reading and writing.
    static std::unique_ptr<Database> open(const DatabaseAddress &address);

    virtual ~Database() = default;
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    virtual Engine engine() const = 0;
    // Where the database is, as messages name it.
    virtual QString location() const = 0;

    virtual void createTable(const QString &table, const QList<FieldDef> &fields,
                             const QList<IndexDef> &indexes) = 0;
    // Brings the indexes of an older table to the way createTable makes them now.
    virtual void upgradeIndexes(const QString &table, const QList<FieldDef> &fields,
                                const QList<IndexDef> &indexes) {
        Q_UNUSED(table);
        Q_UNUSED(fields);
        Q_UNUSED(indexes);
    }
    virtual void addField(const QString &table, const FieldDef &field) = 0; // after all others
    virtual void dropTable(const QString &table) = 0;
    virtual bool hasTable(const QString &table) = 0;
    virtual bool hasAnyTable() = 0;
    virtual QList<FieldDef> fields(const QString &table) = 0;
    virtual QList<IndexDef> indexes(const QString &table) = 0;

    // The key a text is compared and ordered by, as an expression of the database's language:
    // letter case is ignored for the letters A to Z only, everything else goes by character
    // code, the same on every engine.
    virtual QString textKey(const QString &expression) const = 0;
    // An ORDER BY term: a missing value (Null) comes before every other, as on the file.
    virtual QString orderTerm(const QString &expression, bool descending) const = 0;

    // An ordered selection ("SELECT *FROM ZEL ORDER BY a, b") or a whole table by its name
    // (in the order of its primary key), as an updatable record set.
    std::unique_ptr<Recordset> openRecordset(const QString &queryText);

    // Runs one statement without parameters.
    virtual void exec(const QString &sql) = 0;

    // What the engine finds wrong with the database, at most `most` lines; empty when it is
    // sound. A database whose tables cannot even be listed gives that failure as its one line.
    virtual QStringList integrityProblems(int most = 10) = 0;
    // Many rows are about to be written (an import): the engine may prepare for that.
    virtual void expectManyWrites() {}
    // A whole selection is about to be read (a report's) by the next statement: the engine may
    // prepare for it.
    virtual void expectLargeRead() {}
    // Whether a report's whole selection comes sooner read in the order it is kept and put in
    // order by the program: a server sorts it all before it sends the first row, where the
    // program can sort while the rows still arrive; the file, walking an index, reads its pages
    // out of order, where read in turn they are each read once.
    virtual bool ordersLargeReadsItself() const { return false; }
    // Where a table stands: a mark that differs whenever the table may have changed since it
    // was taken, by this connection or any other; unknown when the engine cannot tell.
    struct ChangeMark {
        QString others;     // moves with every change but this connection's own rows of the table
        qint64 ownRows = 0; // rows of the table this connection wrote
        bool known() const { return !others.isEmpty(); }
        bool operator==(const ChangeMark &) const = default;
    };
    virtual ChangeMark changeMark(const QString &table) {
        Q_UNUSED(table);
        return {};
    }

    // The rows of the table become permanent: the database itself refuses to change or delete
    // any of them, whoever asks; new rows are still taken. Nothing when it does so already.
    virtual void makeAppendOnly(const QString &table) = 0;

    // Copies the whole database, as it is at one moment, into a new file at newPath (which must
    // not exist) while other workstations go on working with it; returns the rows `table` held
    // at that moment. Once stop is set it gives up, leaving no file, and throws StoreError.
    virtual qint64 backupInto(const QString &newPath, const QString &table,
                              const std::atomic<bool> *stop = nullptr) = 0;

    // Used by Transaction.
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() noexcept = 0;

protected:
    Database() = default;

private:
    friend class Statement;
    virtual std::unique_ptr<PreparedStatement> prepare(const QString &sql) = 0;
};

// Commits explicitly; rolls back when it goes out of scope otherwise. On the file it takes the
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

// The refusals every engine words alike: another deal holds the value of field's unique index;
// field has no value; the named rule of a field ("ByLName_size15", "ByLName_nonempty",
// "DateSold_date") is broken.
StoreError duplicateKey(const QString &field);
StoreError valueRequired(const QString &field);
StoreError ruleBroken(const QString &rule);
