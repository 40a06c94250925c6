#pragma once

#include "domain/charts/Chart.h"

#include <QWidget>

// A report's chart on screen: the same drawing as its picture and its PDF page.
class ChartView : public QWidget {
    Q_OBJECT
public:
    explicit ChartView(QWidget *parent = nullptr);
    void setChart(const Chart &chart);
    const Chart &chart() const { return shown; }
    QSize sizeHint() const override { return {520, 420}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Chart shown;
};
