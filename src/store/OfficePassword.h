#pragma once

#include "store/Database.h"

#include <optional>

// The office's own start-up password. Only a salted Argon2id hash of it is kept, in the
// database, so that every workstation asks for the same one; it is written nowhere else.
namespace OfficePassword {

inline const QString Table = QStringLiteral("ZELSetting");
constexpr int MinimumLength = 8;

// Makes the table of the office's settings when the database lacks it.
void ensureTable(Database &db);

// The stored hash; nothing while the office has not set a password.
std::optional<QString> storedHash(Database &db);

// Why a new password cannot be taken, typed twice; empty when it can.
QString refusal(const QString &typed, const QString &again);

// Stores the hash of a new password and records who set it (not what it is), in one
// transaction. Throws VolmeraError for a password refusal() does not take.
void set(Database &db, const QString &password);

// Whether a typed password is the one the hash was made of (letter case counts).
bool matches(const QString &hash, const QString &typed);

} // namespace OfficePassword
