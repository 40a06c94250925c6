#include "domain/charts/ChartPainter.h"

#include "base/ErrorTrap.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace {
QFont chartFont(double pixels, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(qMax(6, qRound(pixels)));
    font.setBold(bold);
    return font;
}

// The text size of a chart drawn in a rectangle of this height.
double basePixels(const QRectF &rect) {
    return qBound(8.0, rect.height() / 48, 28.0);
}

// 1, 2, 2.5 or 5 times a power of ten, at least the value.
double niceAbove(double value) {
    if (value <= 0)
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (const double step : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (step * power >= value * (1 - 1e-12))
            return step * power;
    }
    return 10 * power;
}

// A value's figure; on the axis (axisStep above 0) with the decimals its steps need, so that
// steps of 0.2 read 0.2, 0.4 and not 0, 0.
QString valueText(double value, ChartPlot::Scale scale, double axisStep = 0) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const bool axis = axisStep > 0;
    const int stepDecimals =
        axis && axisStep < 1 ? qMin(4, int(std::ceil(-std::log10(axisStep) - 1e-9))) : 0;
    switch (scale) {
    case ChartPlot::Percent:
        return us.toString(value, 'f', axis ? stepDecimals : 1) + u'%';
    case ChartPlot::Money:
        return (value < 0 ? QStringLiteral("-$") : QStringLiteral("$")) +
               us.toString(std::fabs(value), 'f',
                           axis                      ? stepDecimals
                           : std::fabs(value) >= 100 ? 0
                                                     : 2);
    case ChartPlot::Count:
        break;
    }
    return us.toString(value, 'f', axis ? stepDecimals : value == std::floor(value) ? 0 : 1);
}

int shownCategories(const ChartPlot &plot) {
    return int(qMin<qsizetype>(plot.categories.size(), chartCategoryLimit));
}

QString plotTitle(const ChartPlot &plot) {
    if (plot.categories.size() <= chartCategoryLimit)
        return plot.title;
    return QStringLiteral("%1 (the first %2 of %3)")
        .arg(plot.title)
        .arg(chartCategoryLimit)
        .arg(plot.categories.size());
}

// The top of the chart: its title, subtitle and the legend.
double headerHeight(const Chart &chart, double base) {
    double h = base * 2.2;
    if (!chart.subtitle.isEmpty())
        h += base * 1.4;
    return h + base * 1.6; // the legend's row
}

struct PlotLayout {
    QRectF title, area, labels;
    bool upright = false; // category labels turned to read upwards
};

PlotLayout layoutPlot(const ChartPlot &plot, const QRectF &box, double base) {
    PlotLayout l;
    const QFontMetricsF small(chartFont(base * 0.85));
    l.title = QRectF(box.left(), box.top(), box.width(), base * 1.6);
    double axisWidth = small.horizontalAdvance(QStringLiteral("$0,000,000")) + base;
    if (plot.scale == ChartPlot::Percent)
        axisWidth = small.horizontalAdvance(QStringLiteral("100%")) + base;
    const double left = box.left() + axisWidth;
    const double width = box.right() - base - left;
    const int n = qMax(1, shownCategories(plot));
    const double band = width / n;
    double widest = 0;
    for (int i = 0; i < shownCategories(plot); ++i)
        widest = qMax(widest, small.horizontalAdvance(plot.categories[i]));
    l.upright = widest > band * 0.95;
    const double labelHeight =
        l.upright ? qMin(widest, box.height() * 0.3) + base * 0.5 : small.lineSpacing() * 1.4;
    // Room above the area for the figure over the highest value.
    const double headroom = base * 1.4;
    l.area = QRectF(left, l.title.bottom() + headroom, width,
                    box.bottom() - labelHeight - l.title.bottom() - headroom);
    l.labels = QRectF(left, l.area.bottom(), width, labelHeight);
    return l;
}

QList<QRectF> plotBoxes(const Chart &chart, const QRectF &rect) {
    const double base = basePixels(rect);
    const QRectF body = rect.adjusted(base, headerHeight(chart, base), -base, -base * 0.5);
    QList<QRectF> boxes;
    const int n = int(chart.plots.size());
    const double gap = base * 1.2;
    const double h = n > 0 ? (body.height() - gap * (n - 1)) / n : 0;
    for (int i = 0; i < n; ++i)
        boxes << QRectF(body.left(), body.top() + i * (h + gap), body.width(), h);
    return boxes;
}

PlotFrame frameOf(const ChartPlot &plot, const PlotLayout &l) {
    PlotFrame f;
    f.area = l.area;
    f.categories = shownCategories(plot);
    double lowest = 0, highest = 0;
    for (const ChartSeries &s : plot.series) {
        for (int i = 0; i < f.categories && i < s.values.size(); ++i) {
            lowest = qMin(lowest, s.values[i]);
            highest = qMax(highest, s.values[i]);
        }
    }
    f.high = niceAbove(highest);
    // Counts step by whole numbers.
    if (plot.scale == ChartPlot::Count)
        f.high = qMax(f.high, 5.0);
    f.low = lowest < 0 ? -niceAbove(-lowest) : 0;
    const double band = f.area.width() / qMax(1, f.categories);
    const auto seriesCount = qMax<qsizetype>(1, plot.series.size());
    for (qsizetype s = 0; s < plot.series.size(); ++s) {
        QList<QRectF> bars;
        QList<QPointF> points;
        for (int i = 0; i < f.categories; ++i) {
            const double value = plot.series[s].values.value(i);
            const double centre = f.area.left() + band * (i + 0.5);
            if (plot.kind == ChartPlot::Bars) {
                const double group = band * 0.8;
                const double w = group / seriesCount;
                const double x = centre - group / 2 + w * s;
                const double y0 = f.yOf(0), y1 = f.yOf(value);
                bars << QRectF(QPointF(x, qMin(y0, y1)), QPointF(x + w, qMax(y0, y1)));
            } else {
                points << QPointF(centre, f.yOf(value));
            }
        }
        f.bars << bars;
        f.points << points;
    }
    return f;
}

void drawPlot(QPainter &p, const ChartPlot &plot, const PlotLayout &l, const PlotFrame &f,
              double base) {
    const QFont small = chartFont(base * 0.85);
    p.setFont(chartFont(base, true));
    p.setPen(Qt::black);
    p.drawText(l.title, Qt::AlignLeft | Qt::AlignVCenter, plotTitle(plot));

    // The value axis: five steps with their grid lines.
    p.setFont(small);
    const QFontMetricsF metrics(small);
    for (int step = 0; step <= 5; ++step) {
        const double value = f.low + (f.high - f.low) * step / 5;
        const double y = f.yOf(value);
        p.setPen(QPen(QColor(0xd0, 0xd0, 0xd0), 0));
        p.drawLine(QPointF(f.area.left(), y), QPointF(f.area.right(), y));
        p.setPen(Qt::black);
        const QRectF label(l.area.left() - base * 8, y - metrics.height() / 2,
                           base * 8 - base * 0.3, metrics.height());
        p.drawText(label, Qt::AlignRight | Qt::AlignVCenter,
                   valueText(value, plot.scale, (f.high - f.low) / 5));
    }
    p.setPen(QPen(Qt::black, 0));
    p.drawLine(QPointF(f.area.left(), f.yOf(0)), QPointF(f.area.right(), f.yOf(0)));
    p.drawLine(f.area.topLeft(), f.area.bottomLeft());

    // The category labels, turned upwards when they do not fit across.
    const double band = f.area.width() / qMax(1, f.categories);
    for (int i = 0; i < f.categories; ++i) {
        const QString text = plot.categories[i];
        const double centre = f.area.left() + band * (i + 0.5);
        if (!l.upright) {
            p.drawText(QRectF(centre - band / 2, l.labels.top(), band, l.labels.height()),
                       Qt::AlignHCenter | Qt::AlignVCenter, text);
            continue;
        }
        p.save();
        p.translate(centre, l.labels.top() + base * 0.3);
        p.rotate(-90);
        const QRectF along(-l.labels.height(), -band / 2, l.labels.height() - base * 0.3, band);
        p.drawText(along, Qt::AlignRight | Qt::AlignVCenter,
                   metrics.elidedText(text, Qt::ElideRight, along.width()));
        p.restore();
    }

    // The values, with their figures where there is room for them.
    for (qsizetype s = 0; s < plot.series.size(); ++s) {
        const QColor colour = seriesColor(int(s));
        if (plot.kind == ChartPlot::Bars) {
            for (int i = 0; i < f.categories; ++i) {
                const QRectF bar = f.bars[s][i];
                p.fillRect(bar, colour);
                const double value = plot.series[s].values.value(i);
                const QString figure = valueText(value, plot.scale);
                if (metrics.horizontalAdvance(figure) <= bar.width() + 2 && value != 0) {
                    p.setPen(Qt::black);
                    const double y = value >= 0 ? bar.top() - metrics.height() : bar.bottom();
                    p.drawText(QRectF(bar.center().x() - bar.width(), y, bar.width() * 2,
                                      metrics.height()),
                               Qt::AlignCenter, figure);
                }
            }
        } else {
            p.setPen(QPen(colour, qMax(2.0, base / 5)));
            p.drawPolyline(f.points[s].constData(), int(f.points[s].size()));
            p.setBrush(colour);
            for (int i = 0; i < f.categories; ++i) {
                const QPointF point = f.points[s][i];
                p.drawEllipse(point, base / 4, base / 4);
                const QString figure = valueText(plot.series[s].values.value(i), plot.scale);
                if (metrics.horizontalAdvance(figure) <= band) {
                    p.setPen(Qt::black);
                    p.drawText(QRectF(point.x() - band / 2, point.y() - metrics.height() * 1.4,
                                      band, metrics.height()),
                               Qt::AlignCenter, figure);
                    p.setPen(QPen(colour, qMax(2.0, base / 5)));
                }
            }
            p.setBrush(Qt::NoBrush);
        }
    }
}
} // namespace

QColor seriesColor(int series) {
    static const QColor colours[] = {QColor(0x1f, 0x5f, 0xa8), QColor(0xe0, 0x7b, 0x1a),
                                     QColor(0x2e, 0x8b, 0x3e), QColor(0xb8, 0x2e, 0x2e),
                                     QColor(0x6d, 0x4c, 0xa0)};
    return colours[series % 5];
}

QList<PlotFrame> chartFrames(const Chart &chart, const QRectF &rect) {
    const double base = basePixels(rect);
    QList<PlotFrame> frames;
    const QList<QRectF> boxes = plotBoxes(chart, rect);
    for (qsizetype i = 0; i < chart.plots.size(); ++i)
        frames << frameOf(chart.plots[i], layoutPlot(chart.plots[i], boxes[i], base));
    return frames;
}

void drawChart(QPainter &p, const QRectF &rect, const Chart &chart) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const double base = basePixels(rect);
    double y = rect.top() + base * 0.4;
    p.setPen(Qt::black);
    p.setFont(chartFont(base * 1.4, true));
    p.drawText(QRectF(rect.left(), y, rect.width(), base * 1.8), Qt::AlignCenter, chart.title);
    y += base * 1.8;
    if (!chart.subtitle.isEmpty()) {
        p.setFont(chartFont(base));
        p.drawText(QRectF(rect.left(), y, rect.width(), base * 1.4), Qt::AlignCenter,
                   chart.subtitle);
        y += base * 1.4;
    }
    // The legend: the series of the first plot with more than one.
    const QFont small = chartFont(base * 0.85);
    p.setFont(small);
    const QFontMetricsF metrics(small);
    for (const ChartPlot &plot : chart.plots) {
        if (plot.series.size() < 2)
            continue;
        double x = rect.right() - base;
        for (qsizetype s = plot.series.size() - 1; s >= 0; --s) {
            const double w = metrics.horizontalAdvance(plot.series[s].name);
            x -= w;
            p.setPen(Qt::black);
            p.drawText(QRectF(x, y, w + 2, base * 1.4), Qt::AlignLeft | Qt::AlignVCenter,
                       plot.series[s].name);
            x -= base * 1.2;
            p.fillRect(QRectF(x, y + base * 0.3, base * 0.8, base * 0.8), seriesColor(int(s)));
            x -= base;
        }
        break;
    }
    const QList<QRectF> boxes = plotBoxes(chart, rect);
    for (qsizetype i = 0; i < chart.plots.size(); ++i) {
        const PlotLayout l = layoutPlot(chart.plots[i], boxes[i], base);
        drawPlot(p, chart.plots[i], l, frameOf(chart.plots[i], l), base);
    }
    p.restore();
}

QImage chartImage(const Chart &chart, const QSize &size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    drawChart(p, QRectF(QPointF(0, 0), QSizeF(size)), chart);
    return image;
}

void writeChart(const Chart &chart, const QString &path, const QSize &size) {
    const QString where = QFileInfo(path).absoluteFilePath();
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png")) {
        if (!chartImage(chart, size).save(path, "PNG"))
            throw VolmeraError(QStringLiteral("The file %1 cannot be written.").arg(where));
        return;
    }
    if (suffix != QLatin1String("svg"))
        throw VolmeraError(
            QStringLiteral("The file %1 is no picture: name it .png or .svg.").arg(where));
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(chart.title);
    QPainter p;
    if (!p.begin(&svg))
        throw VolmeraError(QStringLiteral("The file %1 cannot be written.").arg(where));
    p.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    drawChart(p, QRectF(QPointF(0, 0), QSizeF(size)), chart);
    if (!p.end() || QFileInfo(path).size() == 0)
        throw VolmeraError(QStringLiteral("The file %1 cannot be written.").arg(where));
}
