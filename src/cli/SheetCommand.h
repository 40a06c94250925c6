#pragma once

#include <QStringList>

// "volmera sheet STOCK [--print]": the deal sheet of the saved deal with that stock number, on
// standard output or on the default printer.
int runSheetCommand(const QStringList &arguments);
