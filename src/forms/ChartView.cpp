#include "forms/ChartView.h"

#include "domain/charts/ChartPainter.h"

#include <QPainter>

ChartView::ChartView(QWidget *parent) : QWidget(parent) {
    setMinimumSize(160, 200);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ChartView::setChart(const Chart &chart) {
    shown = chart;
    update();
}

void ChartView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!shown.isEmpty())
        drawChart(painter, QRectF(rect()), shown);
}
