#include "store/Database.h"

#include "store/PgDatabase.h"
#include "store/Recordset.h"
#include "store/SqliteDatabase.h"

#include <QRegularExpression>

using Kind = StoreError::Kind;

Statement::Statement(Database &db, const QString &sql) : p(db.prepare(sql)) {}

Statement::~Statement() = default;

std::unique_ptr<Database> Database::create(const DatabaseAddress &address) {
    if (address.onServer())
        return PgDatabase::connect(address);
    return SqliteDatabase::create(address.file());
}

std::unique_ptr<Database> Database::open(const DatabaseAddress &address) {
    if (address.onServer())
        return PgDatabase::connect(address);
    return SqliteDatabase::open(address.file());
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

StoreError duplicateKey(const QString &field) {
    return {Kind::DuplicateKey,
            QStringLiteral("Another deal already has this %1: the deal was not stored "
                           "(duplicate key).")
                .arg(field)};
}

StoreError valueRequired(const QString &field) {
    return {Kind::Required,
            QStringLiteral("Field %1 must have a value: the deal was not stored.").arg(field)};
}

StoreError ruleBroken(const QString &rule) {
    const QString field = rule.section(u'_', 0, -2), kind = rule.section(u'_', -1);
    if (kind == QLatin1String("nonempty"))
        return {Kind::ZeroLength,
                QStringLiteral("Field %1 cannot be a zero-length text: the deal was not stored.")
                    .arg(field)};
    if (kind.startsWith(QLatin1String("size")))
        return {Kind::TooLong, QStringLiteral("The text is too long for field %1 (at most %2 "
                                              "characters): the deal was not stored.")
                                   .arg(field, kind.mid(4))};
    return {
        Kind::BadValue,
        QStringLiteral("The value of field %1 is not valid: the deal was not stored.").arg(field)};
}
