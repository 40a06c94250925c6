#include "store/UseLock.h"

#include "store/Database.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
// Close-on-exec: a started program (the start-up batch file) must not inherit the open file
// and with it the lock.
int openLockFile(const QString &path, bool forWriting) {
    const QByteArray name = QFile::encodeName(path);
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 && !forWriting && (errno == EACCES || errno == EROFS))
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    return fd;
}

bool tryLock(int fd, DatabaseUse::Mode mode) {
    struct flock lock {};
    lock.l_type = mode == DatabaseUse::Mode::Shared ? F_RDLCK : F_WRLCK;
    lock.l_whence = SEEK_SET; // the whole file
    for (;;) {
        if (::fcntl(fd, F_OFD_SETLK, &lock) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}
} // namespace

namespace {
// The server's advisory lock of the deal database: two numbers that no other program is likely
// to pick ("VOLM", "ZEL").
const char *const useLockKey = "1448037453, 5915980";

std::unique_ptr<Database> takeOnServer(const DatabaseAddress &address, DatabaseUse::Mode mode,
                                       int waitMs) {
    auto db = Database::open(address);
    Statement lock(*db, QStringLiteral("SELECT %1(%2)")
                            .arg(mode == DatabaseUse::Mode::Shared
                                     ? QStringLiteral("pg_try_advisory_lock_shared")
                                     : QStringLiteral("pg_try_advisory_lock"),
                                 QLatin1String(useLockKey)));
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const bool taken = lock.step() && lock.int64(0) != 0;
        lock.reset();
        if (taken)
            return db;
        if (waited.elapsed() >= waitMs)
            return nullptr;
        QThread::msleep(50);
    }
}
} // namespace

DatabaseUse::DatabaseUse(std::unique_ptr<Database> holder) : holder(std::move(holder)) {}

QString DatabaseUse::lockPath(const QString &databasePath) {
    return databasePath + QStringLiteral("-lock");
}

std::unique_ptr<DatabaseUse> DatabaseUse::take(const DatabaseAddress &address, Mode mode,
                                               int waitMs) {
    if (address.onServer()) {
        auto held = takeOnServer(address, mode, waitMs);
        if (!held)
            return nullptr;
        return std::unique_ptr<DatabaseUse>(new DatabaseUse(std::move(held)));
    }
    const QString path = lockPath(address.file());
    const int fd = openLockFile(path, mode == Mode::Exclusive);
    if (fd < 0) {
        if (mode == Mode::Shared)
            return std::unique_ptr<DatabaseUse>(new DatabaseUse(-1));
        throw StoreError(StoreError::Kind::CannotOpen,
                         QStringLiteral("Cannot make or open the file %1, which keeps other "
                                        "workstations out of the database: %2")
                             .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    std::unique_ptr<DatabaseUse> use(new DatabaseUse(fd));
    QElapsedTimer waited;
    waited.start();
    while (!tryLock(fd, mode)) {
        if (errno != EAGAIN && errno != EACCES) {
            // Locks the file system does not offer cannot keep anyone out: shared use goes on.
            if (mode == Mode::Shared)
                return use;
            throw StoreError(StoreError::Kind::Other,
                             QStringLiteral("Cannot lock the file %1: %2")
                                 .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        }
        if (waited.elapsed() >= waitMs)
            return nullptr;
        QThread::msleep(50);
    }
    return use;
}

DatabaseUse::~DatabaseUse() {
    if (fd >= 0)
        ::close(fd);
    if (!holder)
        return;
    // The server drops a closed connection's locks only once its backend has ended, a moment
    // after the close; unlocking first means a purge started right after this copy lets go
    // is not refused. A lost connection has dropped the lock already.
    try {
        Statement unlock(*holder, QStringLiteral("SELECT pg_advisory_unlock_all()"));
        unlock.step();
    } catch (const StoreError &) {
    }
}
