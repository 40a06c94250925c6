#pragma once

#include <QStringList>

// "volmera report KIND [conditions]": builds a report without a window and writes its lines and
// totals to standard output (or as JSON).
int runReportCommand(const QStringList &arguments);
