#pragma once

#include <QStringList>

// "volmera labels --test": prints the three test labels on the default printer.
int runLabelsCommand(const QStringList &arguments);
