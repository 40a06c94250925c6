#pragma once

#include <QStringList>

// "volmera backup": makes and checks a copy of the deal database now.
int runBackupCommand(const QStringList &arguments);
// "volmera restore FILE --yes": puts a checked copy back, keeping the database as ZEL_OLD.mdb.
int runRestoreCommand(const QStringList &arguments);
