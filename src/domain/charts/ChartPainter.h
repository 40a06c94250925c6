#pragma once

#include "domain/charts/Chart.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

// Draws a chart with QPainter, so that the screen, a PNG or SVG picture and a PDF page all get
// the same drawing.

// A plot shows at most this many categories, the first ones; its title says how many it left
// out.
inline constexpr int chartCategoryLimit = 40;

// Where one plot of a chart drawn in a rectangle stands: the painter draws by it and a test
// can probe it.
struct PlotFrame {
    QRectF area;                  // where the values are plotted
    double low = 0;               // the value at the area's bottom edge
    double high = 1;              // the value at the area's top edge
    int categories = 0;           // those shown
    QList<QList<QRectF>> bars;    // a bar plot's bars, by series and category
    QList<QList<QPointF>> points; // a line plot's points, by series and category

    // The height of a value within the area.
    double yOf(double value) const {
        return area.bottom() - (value - low) / (high - low) * area.height();
    }
};

QList<PlotFrame> chartFrames(const Chart &chart, const QRectF &rect);
void drawChart(QPainter &painter, const QRectF &rect, const Chart &chart);
QColor seriesColor(int series);

// The chart as a picture of the given size on a white ground.
QImage chartImage(const Chart &chart, const QSize &size);

// The chart as a picture file by its name's ending, ".png" or ".svg" (a PDF page of it is made
// with the PDF pages). Throws VolmeraError naming the file when it cannot be written or its
// ending is neither.
void writeChart(const Chart &chart, const QString &path, const QSize &size = {1200, 800});
