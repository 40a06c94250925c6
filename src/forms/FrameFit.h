#pragma once

#include <QObject>
#include <QSize>

class QWidget;

// Keeps a top-level window on the screen: its frame, title bar included, takes the given size at
// the top left of the screen's free area. The desktop frames a window only once it is shown, so
// until then the window itself takes the size, and the first time the frame is known the window
// is made smaller by it.
class FrameFit : public QObject {
    Q_OBJECT
public:
    // The frame's size in pixels, never larger than the screen's free area; made a child of
    // the window.
    FrameFit(QWidget *window, QSize frame);
    QSize frame() const { return frameSize; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fit();

    QWidget *window;
    QSize frameSize;
    bool framed = false;
};
