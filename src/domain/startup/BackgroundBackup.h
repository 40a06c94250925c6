#pragma once

#include <QDate>
#include <QString>
#include <atomic>
#include <functional>
#include <thread>

// The day's backup of the deal database, made on a thread of its own at the first start of the
// day so that the clerk never waits for it. A failed one leaves no copy, so the next start
// tries again.
class BackgroundBackup {
public:
    // Called on the backup's thread: empty when the copy was made and checked, else why not.
    using Done = std::function<void(const QString &failure)>;

    // Starts the day's backup when the folder has none yet; false when it has.
    bool startIfDue(const QString &databasePath, const QString &folder, const QDate &day,
                    Done done);
    // Stops a backup still running (its partial copy is removed) and waits for its thread.
    ~BackgroundBackup();

private:
    std::atomic<bool> stop{false};
    std::thread worker;
};
