#include "forms/FrameFit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {
QRect freeArea(const QWidget *window) {
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}
} // namespace

FrameFit::FrameFit(QWidget *window, QSize frame) : QObject(window), window(window) {
    const QRect area = freeArea(window);
    frameSize = area.isValid() ? frame.boundedTo(area.size()) : frame;
    window->move(area.topLeft());
    window->resize(frameSize);
    window->installEventFilter(this);
}

bool FrameFit::eventFilter(QObject *watched, QEvent *event) {
    if (watched == window && !framed &&
        (event->type() == QEvent::Show || event->type() == QEvent::Move ||
         event->type() == QEvent::Resize)) {
        // The frame becomes known while the desktop handles the window, after these events.
        QTimer::singleShot(0, this, &FrameFit::fit);
    }
    return QObject::eventFilter(watched, event);
}

void FrameFit::fit() {
    if (framed || !window->isVisible())
        return;
    const QSize frame = window->frameGeometry().size();
    const QSize extra = frame - window->size();
    if (extra.width() <= 0 && extra.height() <= 0)
        return; // not framed (yet)
    framed = true;
    window->resize(frameSize - extra);
    window->move(freeArea(window).topLeft());
}
