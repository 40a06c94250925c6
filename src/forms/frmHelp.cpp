#include "forms/frmHelp.h"

#include "base/AppSettings.h"
#include "base/ErrorTrap.h"
#include "domain/entry/ScreenFit.h"
#include "domain/help/HelpSection.h"
#include "domain/startup/ZELMain.h"
#include "forms/FrameFit.h"
#include "forms/NavigationBar.h"
#include "forms/RtfTextDocument.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>

namespace {
QFont viewerFont() {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(9.75);
    return font;
}

QRect pixels(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}
} // namespace

frmHelp::frmHelp(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("HELP"));
    setModal(true);

    auto textBox = [this](const char *name) {
        auto *box = new QTextEdit(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setFont(viewerFont());
        box->document()->setDefaultFont(viewerFont());
        box->setReadOnly(true);
        box->setLineWrapMode(QTextEdit::WidgetWidth);
        return box;
    };
    RichTextBox2 = textBox("RichTextBox2");
    RichTextBox2->hide();
    RichTextBox1 = textBox("RichTextBox1");
    RichTextBox1->installEventFilter(this);

    cmdExit = new QPushButton(QStringLiteral("EXIT"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setAutoDefault(true);
    cmdExit->installEventFilter(this);
    connect(cmdExit, &QPushButton::clicked, this, &frmHelp::cmdExit_Click);

    // The picture lies on the text and scrolls with it, so it never covers the lines below.
    Data1 = new NavigationBar(RichTextBox1->viewport());
    Data1->setObjectName(QStringLiteral("Data1"));
    Data1->setCaption(QStringLiteral("RECORD"));
    Data1->hide();
    connect(RichTextBox1->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int scrolled) { Data1->move(Data1->x(), pictureTop - scrolled); });

    setTabOrder(cmdExit, RichTextBox1);
    Form_Load();
    cmdExit->setFocus();
}

void frmHelp::Form_Load() {
    ErrorTrap trap(QStringLiteral("HELP FORM LOAD"));
    trap.run([&] {
        // As wide as the screen and as high as the entry screen it is opened from.
        QSize screen(640, 480);
        if (const QScreen *s = QGuiApplication::primaryScreen()) {
            screen = s->geometry().size();
            move(s->geometry().topLeft());
        }
        const QSize screenTwips(pixelsToTwips(screen.width()), pixelsToTwips(screen.height()));
        int height = formSizeForScreen(screenTwips).height();
        if (parentWidget() != nullptr)
            height = pixelsToTwips(parentWidget()->window()->frameGeometry().height());
        // The form's size is the window's with its frame, and stays on the screen.
        new FrameFit(this, QSize(screen.width(), twipsToPixels(height)));
        layOut();
    });
    const QString topic = appSettings().HelpTopic;
    if (topic == Help::AboutTopic)
        trap.run([&] { showAbout(); });
    else if (topic.contains(QLatin1Char('/')))
        showSection(trap, topic);
    trap.report();
}

void frmHelp::layOut() {
    const QSize frame = frameGeometry().size();
    const Help::Layout layout =
        Help::layoutFor(QSize(pixelsToTwips(frame.width()), pixelsToTwips(frame.height())));
    // In a window made smaller than that, EXIT stays inside it and the viewer above it.
    const QRect exit = pixels(layout.exitLeft, layout.exitTop, 1215, 375);
    const int exitTop = qMin(exit.top(), height() - exit.height() - 4);
    cmdExit->setGeometry(exit.left(), exitTop, exit.width(), exit.height());
    const QRect viewer = pixels(0, 0, layout.viewerWidth, layout.viewerHeight);
    RichTextBox1->setGeometry(
        0, 0, qMin(viewer.width(), width()),
        qMax(0, qMin(viewer.height(), exitTop - (exit.top() - viewer.bottom() - 1))));
}

void frmHelp::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    layOut();
}

void frmHelp::showAbout() {
    RichTextBox1->setPlainText(Help::aboutText(dealDatabase().describe()));
    QTextCursor all(RichTextBox1->document());
    all.select(QTextCursor::Document);
    QTextCharFormat format;
    format.setFontWeight(QFont::Bold);
    format.setFontPointSize(12);
    all.mergeCharFormat(format);
    RichTextBox1->moveCursor(QTextCursor::Start);
}

void frmHelp::showSection(ErrorTrap &trap, const QString &topic) {
    const Help::Reference ref = Help::reference(topic);
    QTextDocument *hidden = RichTextBox2->document();
    RtfDocument read;
    if (!trap.run([&] { read = Help::loadDocument(ref.path); }))
        return; // nothing to show: the viewer stays empty
    fillTextDocument(*hidden, read);
    auto cut = [hidden](int from, int to) {
        QTextCursor selection(hidden);
        selection.setPosition(from);
        selection.setPosition(to, QTextCursor::KeepAnchor);
        selection.removeSelectedText();
    };
    // Without its start the document is shown whole; without its end, from the start to the end.
    const bool started =
        trap.run([&] { cut(0, Help::sectionStart(hidden->toPlainText(), ref.path, ref.marker)); });
    if (started) {
        trap.run([&] {
            const int end = Help::sectionEnd(hidden->toPlainText(), ref.path, ref.marker);
            cut(end, hidden->characterCount() - 1);
        });
    }
    RichTextBox2->moveCursor(QTextCursor::Start);
    QTextDocument *shown = hidden->clone(RichTextBox1);
    shown->setDefaultFont(viewerFont());
    RichTextBox1->setDocument(shown);
    RichTextBox1->moveCursor(QTextCursor::Start);
    if (ref.marker == Help::RecordKeysMarker) {
        // In the viewport, inside the viewer's frame; the viewport is laid out only when shown.
        const int frame = RichTextBox1->frameWidth();
        const QRect place =
            pixels(5120, 3200, 2500, 300).translated(-RichTextBox1->pos() - QPoint(frame, frame));
        pictureTop = place.top();
        Data1->setGeometry(place);
        Data1->show();
    }
    // The damage found while reading explains any tag that is missing after it.
    if (!read.error.isEmpty())
        trap.record(read.error);
}

void frmHelp::done(int result) {
    Form_Unload();
    QDialog::done(result);
}

void frmHelp::Form_Unload() {
    ErrorTrap trap(QStringLiteral("HELP FORM UNLOAD"));
    trap.run([&] { appSettings().HelpTopic.clear(); });
    trap.report();
}

void frmHelp::cmdExit_Click() {
    ErrorTrap trap(QStringLiteral("HELP OK CMD"));
    trap.run([&] { close(); });
    trap.report();
}

void frmHelp::cmdExit_KeyDown(int key, Qt::KeyboardModifiers) {
    ErrorTrap trap(QStringLiteral("HELP EXIT CMD"));
    if (key == Qt::Key_Escape)
        trap.run([&] { close(); });
    trap.report();
}

void frmHelp::RichTextBox1_GotFocus() {
    // The text is only read: the focus goes back to EXIT, where Escape closes the form.
    ErrorTrap trap(QStringLiteral("HELP RICH TEXT BOX"));
    trap.run([&] { cmdExit->setFocus(Qt::OtherFocusReason); });
    trap.report();
}

bool frmHelp::eventFilter(QObject *watched, QEvent *event) {
    if (watched == RichTextBox1 && event->type() == QEvent::FocusIn) {
        RichTextBox1_GotFocus();
    } else if (watched == cmdExit && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            cmdExit_KeyDown(key->key(), key->modifiers());
            return true;
        }
        // The reading keys scroll the text while EXIT keeps the focus.
        static const QHash<int, QAbstractSlider::SliderAction> scrolls = {
            {Qt::Key_PageDown, QAbstractSlider::SliderPageStepAdd},
            {Qt::Key_PageUp, QAbstractSlider::SliderPageStepSub},
            {Qt::Key_Down, QAbstractSlider::SliderSingleStepAdd},
            {Qt::Key_Up, QAbstractSlider::SliderSingleStepSub},
            {Qt::Key_End, QAbstractSlider::SliderToMaximum},
            {Qt::Key_Home, QAbstractSlider::SliderToMinimum}};
        if (const auto scroll = scrolls.constFind(key->key()); scroll != scrolls.cend()) {
            RichTextBox1->verticalScrollBar()->triggerAction(*scroll);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
