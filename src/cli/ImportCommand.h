#pragma once

#include <QStringList>

// "volmera import [FILE] [--form 1|2] --yes": imports the dealer system's export without a
// window and prints what became of its deals.
int runImportCommand(const QStringList &arguments);
