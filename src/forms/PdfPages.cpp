#include "forms/PdfPages.h"

#include "base/ErrorTrap.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace {
// The printer's control characters (compressed print, form feeds) have no place on a sheet.
QString printable(const QString &line) {
    QString text;
    for (const QChar c : line) {
        if (c.isPrint())
            text.append(c);
    }
    return text;
}
} // namespace

void writePdf(const QList<PrintedPage> &pages, const QString &path) {
    qsizetype widest = 80, longest = 1;
    for (const PrintedPage &page : pages) {
        longest = qMax(longest, page.lines.size());
        for (const QString &line : page.lines)
            widest = qMax(widest, printable(line).size());
    }
    QPdfWriter writer(path);
    writer.setCreator(QStringLiteral("VOLMERA"));
    writer.setPageSize(QPageSize(QPageSize::Letter));
    writer.setPageOrientation(widest > 100 ? QPageLayout::Landscape : QPageLayout::Portrait);
    writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&writer))
        throw VolmeraError(QStringLiteral("The file %1 cannot be written.")
                               .arg(QFileInfo(path).absoluteFilePath()));
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(100);
    const QFontMetricsF sample(font, &writer);
    const QRect area = painter.viewport();
    // The largest size at which the widest line spans the page and the longest page fits.
    const double across = area.width() / (widest * sample.horizontalAdvance(QLatin1Char('0')));
    const double down = area.height() / (longest * sample.lineSpacing());
    font.setPixelSize(qMax(1, int(100 * qMin(across, down))));
    painter.setFont(font);
    const QFontMetricsF metrics(font, &writer);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        double y = metrics.ascent();
        for (const QString &line : pages[i].lines) {
            painter.drawText(QPointF(0, y), printable(line));
            y += metrics.lineSpacing();
        }
    }
    if (!painter.end() || QFileInfo(path).size() == 0)
        throw VolmeraError(QStringLiteral("The file %1 cannot be written.")
                               .arg(QFileInfo(path).absoluteFilePath()));
}
