#pragma once

#include <QString>
#include <functional>

// A data folder made ready without a window: the deal database, the settings file and the
// files the program ships (letter templates, help document), and optionally generated deals.
namespace DataFolder {
// The folder of the shipped files: <prefix>/share/volmera for the installed program (found from
// where the program is), or the checkout's resources/ for a program run from its build folder.
// Empty when neither is there.
QString shippedFiles();

// Prepares the working folder from the shipped files in shipped: makes the database when it is
// missing (an older one is brought up to date), writes the settings file when it is missing,
// copies each shipped file the folder lacks, then adds sampleDeals generated deals. Nothing
// there is overwritten. Each step is told to report as one line. Throws VolmeraError when a
// step fails, and before any change when generated deals are asked for a database that holds
// deals already.
void prepare(const QString &shipped, int sampleDeals,
             const std::function<void(const QString &line)> &report);
} // namespace DataFolder
