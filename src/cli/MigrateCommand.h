#pragma once

#include <QStringList>

// "volmera migrate --to URI": moves the data folder's deals to an empty database on a server.
int runMigrateCommand(const QStringList &arguments);
