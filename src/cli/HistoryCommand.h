#pragma once

#include <QStringList>

// "volmera history [STOCK] [--since MM/DD/YYYY] [--json]": the record of who changed what.
int runHistoryCommand(const QStringList &arguments);
