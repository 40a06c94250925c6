#pragma once

#include <QStringList>

// "volmera chart KIND [conditions] --out FILE": draws the chart of a charted report (summary,
// commission, trend, scoreboard) as a PNG or SVG picture, or a PDF page.
int runChartCommand(const QStringList &arguments);
