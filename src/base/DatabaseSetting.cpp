#include "base/DatabaseSetting.h"

#include "base/AppSettings.h"
#include "base/ErrorTrap.h"
#include "base/PathMapping.h"

#include <QFile>
#include <optional>

namespace {
std::optional<QString> &option() {
    static std::optional<QString> given;
    return given;
}

QString readSettingFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw VolmeraError(QStringLiteral("Cannot read the database setting %1: %2")
                               .arg(path, file.errorString()));
    QStringList parts;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const QString text = line.trimmed();
        if (!text.isEmpty() && !text.startsWith(u'#'))
            parts << text;
    }
    return parts.join(u' ');
}
} // namespace

void DatabaseSetting::setOption(const QString &connection) {
    option() = connection;
}

void DatabaseSetting::clearOption() {
    option().reset();
}

QString DatabaseSetting::server() {
    if (option()) {
        if (option()->trimmed().isEmpty())
            throw VolmeraError(QStringLiteral("--database names no database server: give a "
                                              "connection string or URI."));
        return option()->trimmed();
    }
    if (qEnvironmentVariableIsSet(Defaults::DatabaseVariable.toLatin1().constData())) {
        const QString value =
            qEnvironmentVariable(Defaults::DatabaseVariable.toLatin1().constData()).trimmed();
        if (value.isEmpty())
            throw VolmeraError(QStringLiteral("The variable %1 is set but names no database "
                                              "server: give it a connection string or URI, or "
                                              "unset it to use the file.")
                                   .arg(Defaults::DatabaseVariable));
        return value;
    }
    if (FileExists(Defaults::DatabaseSettingFile))
        return readSettingFile(PathMapping::toLocal(Defaults::DatabaseSettingFile));
    return {};
}
