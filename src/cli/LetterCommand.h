#pragma once

#include <QStringList>

// "volmera letter --letter N --pick N [conditions] [--print]": the form letter for one line of
// the letters list, on standard output or on the default printer.
int runLetterCommand(const QStringList &arguments);
