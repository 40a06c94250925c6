#pragma once

#include <QFrame>

class QLabel;
class QToolButton;

// The entry screen's navigation bar: first, previous, next and last arrows around the mode
// caption. Its tooltip names the arrow under the pointer.
class NavigationBar : public QFrame {
    Q_OBJECT
public:
    explicit NavigationBar(QWidget *parent = nullptr);

    void setCaption(const QString &caption);
    QString caption() const;
    // The tooltip for a pointer position over the bar, in twips from its top left corner.
    static QString tooltipAt(int xTwips, int yTwips);

Q_SIGNALS:
    // 1 first, 2 previous, 3 next, 4 last.
    void moveRequested(int action);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void pointerAt(const QPoint &barPosition);

    QLabel *label;
    QToolButton *arrows[4];
};
