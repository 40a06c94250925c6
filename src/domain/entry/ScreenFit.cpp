#include "domain/entry/ScreenFit.h"

#include "base/Format.h"

#include <cmath>

namespace {
constexpr int twipsPerPixel = 15;

// current ÷ (design ÷ coordinate), in that order, so the figures match the layout as it was
// tuned; a coordinate of 0 stays 0 instead of dividing by zero.
int scaled(int coordinate, int designSize, int currentSize) {
    if (coordinate == 0)
        return 0;
    return int(std::trunc(double(currentSize) / (double(designSize) / double(coordinate))));
}
} // namespace

QSize formSizeForScreen(QSize screenTwips) {
    return QSize(screenTwips.width(), int(std::trunc(screenTwips.height() / 1.0465)));
}

QSize panelSizeForForm(QSize formTwips, QSize currentPanel) {
    if (formTwips.height() <= 6000)
        return currentPanel;
    return QSize(int(std::trunc(formTwips.width() / 1.01265)), formTwips.height() - 840);
}

FitResult fitControl(const TwipRect &design, const QString &tag, QSize designPanel,
                     QSize currentPanel, int screenHeightTwips) {
    if (screenHeightTwips <= 7200 || !tag.contains(u':') || designPanel.width() <= 0 ||
        designPanel.height() <= 0)
        return {design, false};

    const int dw = designPanel.width(), cw = currentPanel.width();
    FitResult fit{design, design.height == 240};
    if (fit.fontTo8pt)
        fit.rect.height = 280;
    if (tag.contains(QStringLiteral("L%")))
        fit.rect.left = scaled(design.left + design.width, dw, cw) - design.width;
    else
        fit.rect.left = scaled(design.left, dw, cw);
    fit.rect.top = scaled(design.top, designPanel.height(), currentPanel.height());
    if (tag.contains(QStringLiteral("W%")))
        fit.rect.width = scaled(design.width, dw, cw);
    return fit;
}

QSize designPanelFromTag(const QString &tag) {
    auto after = [&](QStringView marker) {
        const qsizetype at = tag.indexOf(marker);
        return at < 0 ? 0 : int(Val(tag.mid(at + marker.size())));
    };
    return QSize(after(u"W#"), after(u"H#"));
}

int twipsToPixels(int twips) {
    return int(std::lround(double(twips) / twipsPerPixel));
}

int pixelsToTwips(int pixels) {
    return pixels * twipsPerPixel;
}
