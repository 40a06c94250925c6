#include "store/DatabaseAddress.h"

#include <QStringList>
#include <libpq-fe.h>

DatabaseAddress DatabaseAddress::server(const QString &connection) {
    DatabaseAddress address;
    address.conninfo = connection.trimmed();
    return address;
}

QString DatabaseAddress::describe() const {
    if (!onServer())
        return filePath;
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(conninfo.toUtf8().constData(), &error);
    if (options == nullptr) {
        PQfreemem(error);
        return QStringLiteral("a server database whose connection text cannot be read");
    }
    QString dbname, host, port, user;
    for (PQconninfoOption *o = options; o->keyword != nullptr; ++o) {
        const QString value = o->val != nullptr ? QString::fromUtf8(o->val) : QString();
        const QByteArray key(o->keyword);
        if (key == "dbname")
            dbname = value;
        else if (key == "host" || (key == "hostaddr" && host.isEmpty()))
            host = value;
        else if (key == "port")
            port = value;
        else if (key == "user")
            user = value;
    }
    PQconninfoFree(options);
    // The server's own defaults fill in what the text leaves out.
    if (host.isEmpty())
        host = QStringLiteral("this computer");
    else if (host.startsWith(QLatin1Char('/')))
        host = QStringLiteral("this computer (%1)").arg(host);
    if (!port.isEmpty())
        host += QLatin1Char(':') + port;
    QString text = QStringLiteral("PostgreSQL database %1 on %2")
                       .arg(dbname.isEmpty() ? QStringLiteral("(the user's own)") : dbname, host);
    if (!user.isEmpty())
        text += QStringLiteral(" as %1").arg(user);
    return text;
}
