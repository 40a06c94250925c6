#pragma once

#include <QString>

// Where the deal database is: a file of its own (the embedded engine), or a database on a
// server, given by a connection string ("host=db1 dbname=volmera user=fi") or a URI
// ("postgresql://fi@db1/volmera").
class DatabaseAddress {
public:
    DatabaseAddress() = default;
    // A database file at a local path.
    DatabaseAddress(const QString &file) : filePath(file) {}
    DatabaseAddress(const char *file) : filePath(QString::fromUtf8(file)) {}
    static DatabaseAddress server(const QString &connection);

    bool onServer() const { return !conninfo.isEmpty(); }
    const QString &file() const { return filePath; }
    const QString &connection() const { return conninfo; }

    // What messages, the caption and the About box call it: the file's path, or the database
    // and server (never the password). A connection text that cannot be read says so.
    QString describe() const;

    bool operator==(const DatabaseAddress &) const = default;

private:
    QString filePath;
    QString conninfo;
};
