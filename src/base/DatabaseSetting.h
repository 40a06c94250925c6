#pragma once

#include <QString>

// Which deal database this copy uses. The file ZELDB.mdb in the working folder unless a server
// is named: by --database on the command line, else by the environment variable
// VOLMERA_DATABASE, else by the file DATABASE.CFG beside ZEL.CFG, each holding a connection
// string ("host=db1 dbname=volmera user=fi") or URI ("postgresql://fi@db1/volmera").
namespace DatabaseSetting {
// The connection given on the command line, which beats the other two.
void setOption(const QString &connection);
// Forgets the option, as if it was not given.
void clearOption();
// The connection to the server, or the empty text for the file. In DATABASE.CFG, blank lines
// and lines starting with "#" are notes; the other lines together are the connection. Throws
// VolmeraError when the option or variable is set but empty, or the file cannot be read.
QString server();
} // namespace DatabaseSetting
