#include "forms/NavigationBar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>

namespace {
const int twipsPerPixel = 15;
// The arrows' design extents in twips on a bar 2500 wide: first, previous, next, last.
const int arrowLeft[4] = {0, 286, 1800, 2100};
const int arrowRight[4] = {285, 570, 2099, 2500};
} // namespace

NavigationBar::NavigationBar(QWidget *parent) : QFrame(parent) {
    setObjectName(QStringLiteral("dtaZEL"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setMouseTracking(true);
    label = new QLabel(this);
    label->setObjectName(QStringLiteral("dtaZEL_caption"));
    label->setAlignment(Qt::AlignCenter);
    label->setMouseTracking(true);
    label->installEventFilter(this);
    const char *names[4] = {"dtaZEL_first", "dtaZEL_previous", "dtaZEL_next", "dtaZEL_last"};
    const Qt::ArrowType types[4] = {Qt::LeftArrow, Qt::LeftArrow, Qt::RightArrow, Qt::RightArrow};
    for (int i = 0; i < 4; ++i) {
        arrows[i] = new QToolButton(this);
        arrows[i]->setObjectName(QString::fromLatin1(names[i]));
        arrows[i]->setArrowType(types[i]);
        arrows[i]->setFocusPolicy(Qt::NoFocus);
        arrows[i]->setAutoRaise(false);
        arrows[i]->setMouseTracking(true);
        arrows[i]->installEventFilter(this);
        connect(arrows[i], &QToolButton::clicked, this, [this, i] { Q_EMIT moveRequested(i + 1); });
    }
    // The outer arrows carry a bar, like the first and last marks of a tape.
    arrows[0]->setText(QStringLiteral("|<"));
    arrows[3]->setText(QStringLiteral(">|"));
    arrows[0]->setToolButtonStyle(Qt::ToolButtonTextOnly);
    arrows[3]->setToolButtonStyle(Qt::ToolButtonTextOnly);
}

void NavigationBar::setCaption(const QString &caption) {
    label->setText(caption);
}

QString NavigationBar::caption() const {
    return label->text();
}

QString NavigationBar::tooltipAt(int xTwips, int yTwips) {
    static const char *tips[4] = {"First Record", "Previous Record", "Next Record", "Last Record"};
    if (yTwips < 0 || yTwips > 345)
        return {};
    for (int i = 0; i < 4; ++i) {
        if (xTwips >= arrowLeft[i] && xTwips <= arrowRight[i])
            return QString::fromLatin1(tips[i]);
    }
    return {};
}

void NavigationBar::resizeEvent(QResizeEvent *event) {
    QFrame::resizeEvent(event);
    // The arrows keep their design share of the bar's width.
    const double scale = width() / 2500.0;
    for (int i = 0; i < 4; ++i) {
        const int left = int(arrowLeft[i] * scale);
        arrows[i]->setGeometry(left, 0, int((arrowRight[i] + 1) * scale) - left, height());
    }
    const int textLeft = arrows[1]->geometry().right() + 1;
    label->setGeometry(textLeft, 0, arrows[2]->geometry().left() - textLeft, height());
}

void NavigationBar::pointerAt(const QPoint &p) {
    const double scale = 2500.0 / qMax(1, width());
    setToolTip(tooltipAt(int(p.x() * scale), p.y() * twipsPerPixel));
    for (QToolButton *arrow : arrows)
        arrow->setToolTip(toolTip());
    label->setToolTip(toolTip());
}

void NavigationBar::mouseMoveEvent(QMouseEvent *event) {
    pointerAt(event->position().toPoint());
    QFrame::mouseMoveEvent(event);
}

bool NavigationBar::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseMove) {
        auto *child = static_cast<QWidget *>(watched);
        pointerAt(child->mapToParent(static_cast<QMouseEvent *>(event)->position().toPoint()));
    }
    return QFrame::eventFilter(watched, event);
}
