#include "domain/export/PdfPages.h"

#include "base/ErrorTrap.h"
#include "domain/charts/ChartPainter.h"

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

QFont fixedPitch() {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

VolmeraError unwritable(const QString &path) {
    return VolmeraError(
        QStringLiteral("The file %1 cannot be written.").arg(QFileInfo(path).absoluteFilePath()));
}

QPageSize pageSize(PdfOptions::Paper paper) {
    return QPageSize(paper == PdfOptions::A4 ? QPageSize::A4 : QPageSize::Letter);
}

void finish(QPainter &painter, const QString &path) {
    if (!painter.end() || QFileInfo(path).size() == 0)
        throw unwritable(path);
}
} // namespace

bool paperNamed(const QString &name, PdfOptions::Paper &paper) {
    if (name.compare(QLatin1String("letter"), Qt::CaseInsensitive) == 0)
        paper = PdfOptions::Letter;
    else if (name.compare(QLatin1String("a4"), Qt::CaseInsensitive) == 0)
        paper = PdfOptions::A4;
    else
        return false;
    return true;
}

QList<PrintedPage> pagesOf(const QStringList &lines, int pageLines) {
    QList<PrintedPage> pages;
    for (qsizetype at = 0; at < lines.size() || pages.isEmpty(); at += pageLines) {
        PrintedPage page;
        page.number = int(pages.size()) + 1;
        page.lines = lines.mid(at, pageLines);
        page.pageEnd = at + pageLines < lines.size();
        pages << page;
    }
    return pages;
}

void writePdf(const QList<PrintedPage> &pages, const QString &path, const PdfOptions &options) {
    qsizetype widest = 80, longest = 1;
    for (const PrintedPage &page : pages) {
        longest = qMax(longest, page.lines.size());
        for (const QString &line : page.lines)
            widest = qMax(widest, printable(line).size());
    }
    QPdfWriter writer(path);
    writer.setCreator(QStringLiteral("VOLMERA"));
    writer.setPageSize(pageSize(options.paper));
    // A chart alone takes a landscape page.
    const bool wide = widest > 100 || pages.isEmpty();
    writer.setPageOrientation(wide ? QPageLayout::Landscape : QPageLayout::Portrait);
    writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&writer))
        throw unwritable(path);
    QFont font = fixedPitch();
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
    if (!options.chart.isEmpty()) {
        if (!pages.isEmpty())
            writer.newPage();
        // Drawn as on a screen of about 1000 pixels down, then scaled to the page: the chart
        // sizes its text by pixels, and the page has thousands of them.
        const double k = qMax(1.0, area.height() / 1000.0);
        painter.save();
        painter.scale(k, k);
        drawChart(painter, QRectF(0, 0, area.width() / k, area.height() / k), options.chart);
        painter.restore();
    }
    finish(painter, path);
}

void writeLabelSheets(const QStringList &entries, const QString &path, PdfOptions::Paper paper) {
    // The sheet's geometry in points: its margins, a label's size and the pitch between labels.
    struct Sheet {
        int across, down;
        double top, left, width, height, pitchX, pitchY;
    };
    const Sheet sheet = paper == PdfOptions::A4 ? Sheet{3, 7, 42.8, 20.4, 180, 108, 187.1, 108}
                                                : Sheet{3, 10, 36, 13.5, 189, 72, 198, 72};
    QPdfWriter writer(path);
    writer.setCreator(QStringLiteral("VOLMERA"));
    writer.setPageSize(pageSize(paper));
    writer.setPageOrientation(QPageLayout::Portrait);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(720); // ten device units a point
    QPainter painter;
    if (!painter.begin(&writer))
        throw unwritable(path);
    QFont font = fixedPitch();
    font.setPixelSize(80); // 8 points
    painter.setFont(font);
    const QFontMetricsF metrics(font, &writer);
    const int perSheet = sheet.across * sheet.down;
    for (qsizetype label = 0; label * 5 < entries.size(); ++label) {
        const int at = int(label % perSheet);
        if (label > 0 && at == 0)
            writer.newPage();
        const double x = 10 * (sheet.left + (at % sheet.across) * sheet.pitchX) + 80;
        double y = 10 * (sheet.top + (at / sheet.across) * sheet.pitchY) + 60 + metrics.ascent();
        const double room = 10 * sheet.width - 160;
        for (qsizetype line = label * 5; line < label * 5 + 4 && line < entries.size(); ++line) {
            painter.drawText(QPointF(x, y),
                             metrics.elidedText(printable(entries[line]), Qt::ElideRight, room));
            y += metrics.lineSpacing();
        }
    }
    finish(painter, path);
}
