#pragma once

#include "store/DatabaseAddress.h"

#include <QString>
#include <memory>

class Database;

// Which running copies of the program use a deal database. The database itself cannot tell who
// has its file open, so every copy that works with it holds a shared lock on a companion file
// next to it ("ZELDB.mdb-lock"), and a purge holds that lock alone.
//
// The locks belong to the open file (open-file-description locks): the system drops them the
// moment a copy ends, however it ends, so no stale lock is ever left behind; two holders in one
// copy conflict just as two copies do; and a file server's lock manager carries them to the
// other workstations. The companion file is never deleted, so every copy always locks the same
// file.
//
// On a server the lock is the server's own advisory lock on the deal database, held by a
// connection of its own: the server drops it when that connection ends, however the copy ends.
class DatabaseUse {
public:
    enum class Mode { Shared, Exclusive };

    // Takes the lock, trying again for up to waitMs while another copy holds it the other way.
    // Nothing when it stays taken. Fails (StoreError) only when exclusive use cannot make or
    // open the companion file; shared use in a folder that cannot hold it goes on unlocked.
    // A server that cannot be reached fails as connecting does.
    static std::unique_ptr<DatabaseUse> take(const DatabaseAddress &address, Mode mode, int waitMs);

    static QString lockPath(const QString &databasePath);

    ~DatabaseUse();
    DatabaseUse(const DatabaseUse &) = delete;
    DatabaseUse &operator=(const DatabaseUse &) = delete;

private:
    explicit DatabaseUse(int fd) : fd(fd) {}
    explicit DatabaseUse(std::unique_ptr<Database> holder);
    int fd = -1;
    std::unique_ptr<Database> holder;
};
