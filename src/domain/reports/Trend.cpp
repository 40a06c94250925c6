#include "base/Format.h"
#include "domain/reports/Builders.h"
#include "domain/reports/DealFigures.h"
#include "domain/reports/ReportSelection.h"

using namespace DealSchema;
using ReportSelection::fit;

namespace {
QString column(const QString &text, int width) {
    return text.rightJustified(width, QLatin1Char(' '), true);
}

// Month, units, F&I income, income per unit, service contract penetration.
QString trendLine(const QString &month, const Tally &t) {
    const Figures f = figuresOf(t);
    return fit(month, 9) + FormatUsing(QStringLiteral("######0"), qlonglong(t.units)) +
           QLatin1String("  ") +
           FormatUsing(QStringLiteral("###,###,##0.00"), QVariant::fromValue(f.income)) +
           QLatin1String("  ") +
           FormatUsing(QStringLiteral("###,##0.00"), QVariant::fromValue(f.incomePerUnit)) +
           QLatin1String("     ") +
           FormatUsing(QStringLiteral("##0.00"), QVariant::fromValue(f.servicePct)) +
           QLatin1Char('%');
}

SheetRow sheetRow(const QString &month, const Tally &t, bool below) {
    const Figures f = figuresOf(t);
    return {{SheetCell::ofText(month), SheetCell::ofCount(t.units), SheetCell::ofMoney(f.income),
             SheetCell::ofMoney(f.incomePerUnit), SheetCell::ofCount(t.service),
             SheetCell::ofCount(t.serviceEligible), SheetCell::ofPercent(f.servicePct)},
            false,
            below};
}
} // namespace

QDate trendFirstDay(const QString &endingDate) {
    const QDate end = QDate::fromString(endingDate, QStringLiteral("MM/dd/yyyy"));
    if (!end.isValid())
        return {};
    const QDate month(end.year(), end.month(), 1);
    return month.addMonths(-11);
}

ReportOutput DoTrend(const ReportConditions &c, DealSource &deals, BuildPolicy &policy) {
    ReportOutput out;
    const QDate first = trendFirstDay(c.EDT);
    const QString from = formatDate(first, QStringLiteral("yyyy/mm/dd"));
    const QString to = ReportSelection::conditionKey(c.EDT);
    Tally months[12];
    bool going = policy.attempt([&] { deals.moveFirst(); });
    while (going && !deals.eof()) {
        const QString key = deals.dateKey(DateSold);
        const QStringView cls = deals.view(NewUsed);
        // The classes of the summary: a deal neither new nor used is in no month.
        if (first.isValid() && !key.isEmpty() && key >= from && key <= to &&
            (cls == u"N" || cls == u"U") && ReportSelection::vehiclePasses(c, cls.toString())) {
            const QDate sold = deals.date(DateSold);
            const int month = (sold.year() - first.year()) * 12 + sold.month() - first.month();
            if (month >= 0 && month < 12)
                months[month].count(deals);
        }
        going = policy.attempt([&] { deals.moveNext(); });
    }
    if (!going) {
        out.cancelled = true;
        return out;
    }

    out.headings << QString(32, QLatin1Char(' ')) + column(QStringLiteral("F&I Income"), 12) +
                        column(QStringLiteral("Srv. Cnt."), 12);
    out.headings << fit(QStringLiteral("Month"), 9) + column(QStringLiteral("Units"), 7) +
                        column(QStringLiteral("F&I Income"), 16) +
                        column(QStringLiteral("Per Unit"), 12) +
                        column(QStringLiteral("Penetration"), 12);
    out.sheet.name = QStringLiteral("Trend");
    out.sheet.columns = {{QStringLiteral("Month"), 9},
                         {QStringLiteral("Units"), 7},
                         {QStringLiteral("F&I Income"), 14},
                         {QStringLiteral("F&I Income Per Unit"), 12},
                         {QStringLiteral("Service Contracts"), 8},
                         {QStringLiteral("Service Eligible"), 8},
                         {QStringLiteral("Srv. Cnt. Penetration %"), 8}};
    ChartPlot units{QStringLiteral("Units"), ChartPlot::Bars, ChartPlot::Count, {}, {{}}};
    ChartPlot perUnit{
        QStringLiteral("F&I Income Per Unit"), ChartPlot::Line, ChartPlot::Money, {}, {{}}};
    ChartPlot service{QStringLiteral("Service Contract Penetration"),
                      ChartPlot::Line,
                      ChartPlot::Percent,
                      {},
                      {{}}};
    Tally year;
    for (int i = 0; i < 12 && first.isValid(); ++i) {
        const QString month = first.addMonths(i).toString(QStringLiteral("MMM yyyy"));
        out.lines << trendLine(month, months[i]);
        out.sheet.rows << sheetRow(month, months[i], false);
        year = year + months[i];
        const Figures f = figuresOf(months[i]);
        for (ChartPlot *plot : {&units, &perUnit, &service})
            plot->categories << month;
        units.series[0].values << double(months[i].units);
        perUnit.series[0].values << f.incomePerUnit.toDouble();
        service.series[0].values << f.servicePct.toDouble();
    }
    out.lines << QString() << trendLine(QStringLiteral("Total"), year);
    out.sheet.rows << sheetRow(QStringLiteral("Total"), year, true);
    out.chart = {QStringLiteral("Twelve Months to ") + c.EDT, {}, {units, perUnit, service}};
    return out;
}
