#include "store/OfficePassword.h"

#include "store/Audit.h"

#include <sodium.h>

namespace OfficePassword {
namespace {
const QString hashName = QStringLiteral("PasswordHash");

void requireSodium() {
    if (::sodium_init() < 0)
        throw VolmeraError(QStringLiteral("The password functions of libsodium cannot be used on "
                                          "this machine."));
}
} // namespace

void ensureTable(Database &db) {
    if (db.hasTable(Table))
        return;
    db.createTable(Table,
                   {{QStringLiteral("Name"), FieldDef::Text, 30, false},
                    {QStringLiteral("Value"), FieldDef::Text, 255, true}},
                   {{QStringLiteral("Name"), QStringLiteral("Name"), true, true}});
}

std::optional<QString> storedHash(Database &db) {
    if (!db.hasTable(Table))
        return std::nullopt;
    Statement s(
        db, QStringLiteral("SELECT \"Value\" FROM %1 WHERE \"Name\" = ?1").arg(quotedName(Table)));
    s.bind(1, hashName);
    if (!s.step() || s.isNull(0) || s.value(0).toString().isEmpty())
        return std::nullopt;
    return s.value(0).toString();
}

QString refusal(const QString &typed, const QString &again) {
    if (typed != again)
        return QStringLiteral("THE TWO PASSWORDS TYPED DIFFER.\nTYPE THE NEW PASSWORD TWICE, THE "
                              "SAME BOTH TIMES.");
    if (typed.size() < MinimumLength)
        return QStringLiteral("THE NEW PASSWORD IS TOO SHORT: IT NEEDS AT LEAST %1 CHARACTERS.")
            .arg(MinimumLength);
    return {};
}

void set(Database &db, const QString &password) {
    if (const QString why = refusal(password, password); !why.isEmpty())
        throw VolmeraError(why);
    requireSodium();
    const QByteArray typed = password.toUtf8();
    char hash[crypto_pwhash_STRBYTES];
    if (::crypto_pwhash_str_alg(
            hash, typed.constData(), quint64(typed.size()), crypto_pwhash_OPSLIMIT_INTERACTIVE,
            crypto_pwhash_MEMLIMIT_INTERACTIVE, crypto_pwhash_ALG_ARGON2ID13) != 0)
        throw VolmeraError(QStringLiteral("The password could not be stored: the machine has "
                                          "not enough memory for its hash."));
    Transaction t(db);
    ensureTable(db);
    Audit::ensureTable(db);
    Statement store(db, QStringLiteral("INSERT INTO %1 (\"Name\", \"Value\") VALUES (?1, ?2) ON "
                                       "CONFLICT (\"Name\") DO UPDATE SET \"Value\" = "
                                       "excluded.\"Value\"")
                            .arg(quotedName(Table)));
    store.bind(1, hashName);
    store.bind(2, QString::fromLatin1(hash));
    store.step();
    Audit::Writer(db).write(Audit::Action::Password, {}, {}, std::nullopt, std::nullopt);
    t.commit();
}

bool matches(const QString &hash, const QString &typed) {
    requireSodium();
    const QByteArray h = hash.toLatin1();
    const QByteArray t = typed.toUtf8();
    return ::crypto_pwhash_str_verify(h.constData(), t.constData(), quint64(t.size())) == 0;
}

} // namespace OfficePassword
