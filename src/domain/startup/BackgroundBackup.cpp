#include "domain/startup/BackgroundBackup.h"

#include "base/ErrorTrap.h"
#include "store/Backups.h"

bool BackgroundBackup::startIfDue(const QString &databasePath, const QString &folder,
                                  const QDate &day, Done done) {
    if (worker.joinable() || !DailyBackup::due(folder, day))
        return false;
    worker = std::thread([this, databasePath, folder, day, done = std::move(done)] {
        QString failure;
        try {
            DailyBackup::make(databasePath, folder, day, &stop);
        } catch (const VolmeraError &e) {
            failure = e.description();
        } catch (const std::exception &e) {
            failure = QString::fromUtf8(e.what());
        }
        if (!stop)
            done(failure);
    });
    return true;
}

BackgroundBackup::~BackgroundBackup() {
    stop = true;
    if (worker.joinable())
        worker.join();
}
