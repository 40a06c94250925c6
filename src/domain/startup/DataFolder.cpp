#include "domain/startup/DataFolder.h"

#include "base/AppSettings.h"
#include "base/ErrorTrap.h"
#include "base/PathMapping.h"
#include "base/SettingsFile.h"
#include "domain/sample/DealGenerator.h"
#include "store/DealSchema.h"
#include "store/Recordset.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
QString line(const QString &file, const QString &what) {
    return file.leftJustified(12) + QLatin1Char(' ') + what;
}

int dealCount(Database &db) {
    return db.openRecordset(DealSchema::Table)->recordCount();
}

QString deals(int count) {
    return count == 0   ? QStringLiteral("no deals")
           : count == 1 ? QStringLiteral("1 deal")
                        : QStringLiteral("%1 deals").arg(count);
}
} // namespace

QString DataFolder::shippedFiles() {
    const QStringList candidates = {
        QCoreApplication::applicationDirPath() + QStringLiteral("/" VOLMERA_SHARE_FROM_BIN),
        QStringLiteral(VOLMERA_SOURCE_RESOURCES),
    };
    for (const QString &folder : candidates)
        if (QFileInfo::exists(folder + QStringLiteral("/ZEL_HLP.RTF")))
            return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    return QString();
}

void DataFolder::prepare(const QString &shipped, int sampleDeals,
                         const std::function<void(const QString &)> &report) {
    const QString database = Defaults::DatabaseFile;
    const QString local = PathMapping::toLocal(Defaults::DatabasePath);
    const bool existed = FileExists(Defaults::DatabasePath);
    if (existed && sampleDeals > 0) {
        const int held = dealCount(*Database::open(local));
        if (held > 0)
            throw VolmeraError(QStringLiteral("the deal database %1 in %2 holds %3; --sample adds "
                                              "deals only to an empty one. Nothing was changed.")
                                   .arg(database, QDir::currentPath(), deals(held)));
    }

    if (!existed) {
        createDealDatabase(local);
        report(line(database, QStringLiteral("created, no deals")));
    } else {
        const OpenOutcome outcome = openDealDatabase(local);
        const QString held = deals(dealCount(*Database::open(local)));
        const QString what = outcome == OpenOutcome::Upgraded ? QStringLiteral("brought up to date")
                                                              : QStringLiteral("kept");
        report(line(database, what + QStringLiteral(", ") + held));
    }

    const QString settings = QFileInfo(PathMapping::toLocal(Defaults::SettingsFile)).fileName();
    if (FileExists(Defaults::SettingsFile)) {
        report(line(settings, QStringLiteral("kept as it is")));
    } else {
        SettingsFile::write(PathMapping::toLocal(Defaults::SettingsFile),
                            Defaults::DefaultDealerLine, QString(), false);
        report(line(settings, QStringLiteral("created with the default dealer name")));
    }

    const QStringList files = QDir(shipped).entryList(QDir::Files, QDir::Name);
    for (const QString &name : files) {
        if (name == QLatin1String("README.md"))
            continue; // about the folder, not for the data folder
        const QString here = QStringLiteral(".\\") + name;
        if (FileExists(here)) {
            report(line(name, QStringLiteral("kept as it is")));
            continue;
        }
        QFile source(shipped + QLatin1Char('/') + name);
        if (!source.copy(name))
            throw VolmeraError(QStringLiteral("%1 could not be copied from %2: %3")
                                   .arg(name, shipped, source.errorString()));
        // The copy is the user's to edit, whatever the installed file's permissions.
        QFile::setPermissions(name, QFile::permissions(name) | QFile::WriteOwner);
        report(line(name, QStringLiteral("copied")));
    }

    if (sampleDeals > 0) {
        auto db = Database::open(local);
        DealGenerator({}).addTo(*db, sampleDeals);
        report(line(database, QStringLiteral("%1 generated deals added").arg(sampleDeals)));
    }
}
