#pragma once

#include <QStringList>

// "volmera purge --before MM/DD/YYYY --yes": purges and rebuilds the deal database without a
// window.
int runPurgeCommand(const QStringList &arguments);
