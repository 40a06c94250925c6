#pragma once

#include <QStringList>

// "volmera init [--sample N]": prepares the data folder without a window.
int runInitCommand(const QStringList &arguments);
