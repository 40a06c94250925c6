#include "base/SettingsFile.h"

#include "base/Cp1252.h"
#include "base/DelimitedInput.h"
#include "base/ErrorTrap.h"

#include <QFile>
#include <QSaveFile>

void SettingsFile::read(const QString &path, Content &content) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw VolmeraError(QStringLiteral("The settings file %1 cannot be read: %2")
                               .arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\r' && c != '\n' && c != '\t' &&
            c != '\x1a')
            throw VolmeraError(QStringLiteral("The settings file %1 is not a settings file: it "
                                              "holds unreadable characters. It was not used.")
                                   .arg(path));
    }
    DelimitedInput input(Cp1252::decode(bytes));
    try {
        content.dealerName = input.next();
        content.reserved = input.next();
    } catch (const VolmeraError &) {
        throw VolmeraError(QStringLiteral("The settings file %1 is incomplete: it should hold the "
                                          "dealer name, a reserved item and the password choice.")
                               .arg(path));
    }
    content.passwordText = input.atEnd() ? QString() : input.next();
}

void SettingsFile::write(const QString &path, const QString &dealerName, const QString &reserved,
                         bool passwordRequired) {
    // An item cannot carry a double quote: it would end the item early when read back.
    auto item = [](QString text) {
        return QLatin1Char('"') + text.replace(QLatin1Char('"'), QLatin1Char('\'')) +
               QLatin1Char('"');
    };
    const QString line = item(dealerName) + QLatin1Char(',') + item(reserved) + QLatin1Char(',') +
                         item(passwordRequired ? QStringLiteral("True") : QStringLiteral("False")) +
                         QStringLiteral("\r\n");
    // Written beside and then put in place, so that a failed write leaves the old file whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(Cp1252::encode(line)) < 0 || !file.commit())
        throw VolmeraError(QStringLiteral("The settings file %1 cannot be written: %2")
                               .arg(path, file.errorString()));
}

bool SettingsFile::toBoolean(const QString &text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool number = false;
    const double value = t.toDouble(&number);
    if (number)
        return value != 0;
    throw VolmeraError(
        QStringLiteral("The password choice \"%1\" in the settings file is neither True nor False.")
            .arg(text));
}
