#include "store/Database.h"

#include "store/Recordset.h"
#include "store/SqliteDatabase.h"

#include <QRegularExpression>

using Kind = StoreError::Kind;

Statement::Statement(Database &db, const QString &sql) : p(db.prepare(sql)) {}

Statement::~Statement() = default;

std::unique_ptr<Database> Database::create(const QString &path) {
    return SqliteDatabase::create(path);
}

std::unique_ptr<Database> Database::open(const QString &path) {
    return SqliteDatabase::open(path);
}

std::unique_ptr<Recordset> Database::openRecordset(const QString &queryText) {
    return std::make_unique<Recordset>(*this, queryText);
}

Transaction::Transaction(Database &db) : db(db) {
    db.begin();
}

Transaction::~Transaction() {
    if (open)
        db.rollback();
}

void Transaction::commit() {
    db.commit();
    open = false;
}

void requireNoNul(const QString &field, QStringView text) {
    if (text.contains(QChar(0)))
        throw StoreError(Kind::BadValue, QStringLiteral("Field %1 holds the character NUL, which "
                                                        "no text of a deal may hold: the deal was "
                                                        "not stored.")
                                             .arg(field));
}

QString quotedName(const QString &name) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!plain.match(name).hasMatch())
        throw StoreError(Kind::Other, QStringLiteral("Not a valid name: %1").arg(name));
    return QLatin1Char('"') + name + QLatin1Char('"');
}
