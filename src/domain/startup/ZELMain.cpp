#include "domain/startup/ZELMain.h"

#include "base/AppSettings.h"
#include "base/DatabaseSetting.h"
#include "base/ErrorTrap.h"
#include "base/PathMapping.h"
#include "base/SettingsFile.h"
#include "store/DealSchema.h"
#include "store/OfficePassword.h"

#include <QFileInfo>
#include <QProcess>

void StartupScreens::launchStartupHook(const QString &localPath) {
    // A batch file of the dealership's machines; here its commands are run by the shell.
    if (!QProcess::startDetached(QStringLiteral("/bin/sh"), {localPath},
                                 QFileInfo(localPath).absolutePath()))
        throw VolmeraError(
            QStringLiteral("The start-up batch file %1 could not be started.").arg(localPath));
}

std::optional<QString> officePasswordHash() {
    try {
        auto db = Database::open(dealDatabase());
        return OfficePassword::storedHash(*db);
    } catch (const VolmeraError &) {
        // A database that cannot be read holds no password: the office can still get in to
        // purge and rebuild it.
        return std::nullopt;
    }
}

bool passwordMatches(const QString &typed) {
    if (const std::optional<QString> hash = officePasswordHash())
        return OfficePassword::matches(*hash, typed);
    return typed.toUpper() == Defaults::Password;
}

DatabaseAddress dealDatabase() {
    const AppSettings &s = appSettings();
    if (!s.DatabaseServer.isEmpty())
        return DatabaseAddress::server(s.DatabaseServer);
    return PathMapping::toLocal(s.DatabasePath.isEmpty() ? Defaults::DatabasePath : s.DatabasePath);
}

void CreateDealDatabase(const QString &path) {
    ErrorTrap trap(QStringLiteral("MAKE DB FILE"));
    trap.run([&] { createDealDatabase(PathMapping::toLocal(path)); });
    trap.report();
}

QString ReadSettings(AppSettings &s) {
    s.DealerName = Defaults::DefaultDealerLine;
    if (!FileExists(Defaults::SettingsFile))
        return {};
    SettingsFile::Content content{s.DealerName, s.ReservedSetting, {}};
    try {
        SettingsFile::read(PathMapping::toLocal(Defaults::SettingsFile), content);
    } catch (...) {
        s.DealerName = content.dealerName;
        s.ReservedSetting = content.reserved;
        throw;
    }
    s.DealerName = content.dealerName;
    s.ReservedSetting = content.reserved;
    return content.passwordText;
}

bool Main(StartupScreens &screens) {
    ErrorTrap trap(QStringLiteral("MAIN"));
    AppSettings &s = appSettings();
    s.DatabasePath = QStringLiteral(".\\") + Defaults::DatabaseFile;
    s.VersionText = Defaults::VersionText;
    // A server named in a setting that cannot be read must not turn into a file of its own.
    if (!trap.run([&] { s.DatabaseServer = DatabaseSetting::server(); })) {
        trap.report();
        return false;
    }
    if (s.DatabaseServer.isEmpty() && !FileExists(s.DatabasePath))
        CreateDealDatabase(s.DatabasePath);
    // A database that cannot be read is reported here and left as it is.
    trap.run([&] { openDealDatabase(dealDatabase()); });
    QString passwordText;
    trap.run([&] { passwordText = ReadSettings(s); });
    bool passwordRequired = false;
    if (!passwordText.isEmpty())
        trap.run([&] { passwordRequired = SettingsFile::toBoolean(passwordText); });
    if (passwordRequired) {
        screens.askPassword();
        if (!passwordMatches(s.TypedPassword))
            return false;
    }
    if (FileExists(Defaults::StartupHookPath))
        trap.run(
            [&] { screens.launchStartupHook(PathMapping::toLocal(Defaults::StartupHookPath)); });
    screens.showEntryScreen();
    trap.report();
    return true;
}
