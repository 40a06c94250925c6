#include "base/PathMapping.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
QString root = QStringLiteral("/");

// Finds each missing part of path in its folder by a case-blind match.
QString matchCase(const QString &base, const QStringList &parts) {
    QString path = base;
    for (const QString &part : parts) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        QString next = QDir(path).filePath(part);
        if (!QFileInfo::exists(next)) {
            const QStringList entries =
                QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
            for (const QString &entry : entries) {
                if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                    next = QDir(path).filePath(entry);
                    break;
                }
            }
        }
        path = next;
    }
    return path;
}
} // namespace

void PathMapping::setDriveRoot(const QString &folder) {
    root = folder;
}

QString PathMapping::driveRoot() {
    return root;
}

QString PathMapping::toLocal(const QString &dosPath) {
    QString rest = dosPath;
    rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    QString base;
    if (drive.match(rest).hasMatch()) {
        base = root;
        rest = rest.mid(2);
    } else if (rest.startsWith(QLatin1Char('/'))) {
        base = root;
    } else {
        base = QStringLiteral(".");
    }
    const bool folder = rest.endsWith(QLatin1Char('/'));
    QString local = matchCase(base, rest.split(QLatin1Char('/'), Qt::SkipEmptyParts));
    if (local.startsWith(QLatin1String("./")))
        local = local.mid(2);
    if (folder && !local.endsWith(QLatin1Char('/')))
        local += QLatin1Char('/');
    return local;
}

bool FileExists(const QString &dosPath) {
    if (dosPath.isEmpty())
        return false;
    const QFileInfo info(PathMapping::toLocal(dosPath));
    return info.isFile() && !info.isHidden();
}
