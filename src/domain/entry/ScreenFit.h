#pragma once

#include <QSize>
#include <QString>

// Fitting the entry screen, laid out for a 640x480 screen, to a larger one. All sizes are in
// twips (15 to a pixel).
struct TwipRect {
    int left, top, width, height;
    bool operator==(const TwipRect &) const = default;
};

struct FitResult {
    TwipRect rect;
    bool fontTo8pt; // the control grew from 240 to 280 twips high and takes an 8-point font
};

// The form on load: the screen's width, and its height less room for the title and task bars.
QSize formSizeForScreen(QSize screenTwips);

// The background panel after the form is resized; a form 6000 twips high or less leaves it.
QSize panelSizeForForm(QSize formTwips, QSize currentPanel);

// Where a control goes. Only controls whose tag holds ":" move, and only on a screen more than
// 7200 twips high; "W%" widens the control in proportion, "L%" keeps its right edge in
// proportion instead of its left (captions stay flush against their boxes).
FitResult fitControl(const TwipRect &design, const QString &tag, QSize designPanel,
                     QSize currentPanel, int screenHeightTwips);

// The design size of the panel from its tag "H#<height>W#<width>".
QSize designPanelFromTag(const QString &tag);

int twipsToPixels(int twips);
int pixelsToTwips(int pixels);
