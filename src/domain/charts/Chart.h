#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What a chart shows, without how it is drawn: one plot or several stacked, each with its
// categories along the bottom and one value a category for each series.
struct ChartSeries {
    QString name;
    QList<double> values; // one a category
};

struct ChartPlot {
    enum Kind { Bars, Line };
    enum Scale { Percent, Money, Count };
    QString title;
    Kind kind = Bars;
    Scale scale = Count;
    QStringList categories;
    QList<ChartSeries> series;
};

struct Chart {
    QString title;
    QString subtitle;
    QList<ChartPlot> plots;
    bool isEmpty() const { return plots.isEmpty(); }
};
