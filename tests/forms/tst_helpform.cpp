#include "TestRegistry.h"
#include "base/AppSettings.h"
#include "base/ScriptedPrompter.h"
#include "domain/entry/ScreenFit.h"
#include "domain/help/HelpSection.h"
#include "fixtures/FormFixture.h"
#include "fixtures/Golden.h"
#include "fixtures/GoldenRows.h"
#include "forms/NavigationBar.h"
#include "forms/frmHelp.h"
#include "forms/frmZEL.h"
#include "store/DealSchema.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <memory>

namespace {
void writeHelp(const QByteArray &bytes) {
    QFile file(QStringLiteral("ZEL_HLP.RTF"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QTextCharFormat formatAt(QTextEdit *box, int position) {
    QTextCursor cursor(box->document());
    cursor.setPosition(position);
    return cursor.charFormat();
}
} // namespace

class HelpFormTest : public QObject {
    Q_OBJECT
    std::unique_ptr<FormFixture> fx;

private Q_SLOTS:
    void init() { fx = std::make_unique<FormFixture>(); }

    void cleanup() { fx.reset(); }

    // The boxes shown are in forms/help-sections.txt.
    void section_data() {
        QTest::addColumn<QByteArray>("document"); // null: none
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("picture");
        const auto row = [](const char *name, const QByteArray &document, const QString &shown,
                            bool picture = true, const QString &topic = Help::RecordKeysTopic) {
            QTest::newRow(name) << document << topic << shown << picture;
        };
        row("the section alone",
            "{\\rtf1 Intro\\par S01^\\par Keys one\\par {\\b Keys} two\\par E01^\\par "
            "Closing\\par}",
            "Keys one\nKeys two\n");
        row("one character after the start tag goes", "{\\rtf1 Intro S01^*Keys E01^ Closing}",
            "Keys ");
        row("an end tag before the start does not count",
            "{\\rtf1 E01^ S01^\\par Keys\\par E01^ rest}", "Keys\n");
        row("another section has no picture",
            "{\\rtf1 S01^\\par One\\par E01^\\par S02^\\par Two\\par E02^}", "Two\n", false,
            ".\\ZEL_HLP.RTF/S02E02");
        row("no end tag: the rest is shown", "{\\rtf1 Intro\\par S01^\\par Keys\\par Closing}",
            "Keys\nClosing");
        row("no start tag: the whole document", "{\\rtf1 Intro\\par Keys\\par E01^}",
            "Intro\nKeys\nE01^");
        row("truncated document", "{\\rtf1 Intro\\par S01^\\par Keys\\par E01", "Keys\nE01");
        row("missing document", QByteArray(), "", false);
        row("not rich text", "S01^\r\nKeys\r\nE01^\r\n", "");
    }

    void section() {
        QFETCH(QByteArray, document);
        QFETCH(QString, topic);
        QFETCH(QString, shown);
        QFETCH(bool, picture);
        if (!document.isNull())
            writeHelp(document);
        appSettings().HelpTopic = topic;
        frmHelp form;
        QCOMPARE(form.RichTextBox1->toPlainText(), shown);
        QCOMPARE(fx->shown(), goldenRows("forms/help-sections.txt"));
        QCOMPARE(form.Data1->isVisibleTo(&form), picture);
        QVERIFY(!form.RichTextBox2->isVisibleTo(&form));
        QCOMPARE(form.RichTextBox1->textCursor().position(), 0);
    }

    void sectionKeepsItsFormatting() {
        writeHelp("{\\rtf1 {\\b Intro}\\par S01^\\par {\\b\\fs28 Head} text\\par E01^}");
        appSettings().HelpTopic = Help::RecordKeysTopic;
        frmHelp form;
        QCOMPARE(form.RichTextBox1->toPlainText(), QStringLiteral("Head text\n"));
        QVERIFY(formatAt(form.RichTextBox1, 1).font().bold());
        QCOMPARE(formatAt(form.RichTextBox1, 1).fontPointSize(), 14.0);
        QVERIFY(!formatAt(form.RichTextBox1, 6).font().bold());
        QCOMPARE(formatAt(form.RichTextBox1, 6).fontPointSize(), 0.0); // the viewer's own size
    }

    // The reading keys on EXIT scroll the text; the focus stays on EXIT.
    void keysScroll_data() {
        QTest::addColumn<QList<int>>("keys"); // 0: a click into the text
        QTest::addColumn<QString>("at"); // where the text stands: top, page, 2 pages, line, end
        using K = QList<int>;
        QTest::newRow("Page Down") << K{Qt::Key_PageDown} << "page";
        QTest::newRow("Page Down twice") << K{Qt::Key_PageDown, Qt::Key_PageDown} << "2 pages";
        QTest::newRow("Page Up") << K{Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp} << "page";
        QTest::newRow("Down") << K{Qt::Key_Down} << "line";
        QTest::newRow("Up at the top") << K{Qt::Key_Up} << "top";
        QTest::newRow("End") << K{Qt::Key_End} << "end";
        QTest::newRow("Home") << K{Qt::Key_End, Qt::Key_Home} << "top";
        QTest::newRow("Tab") << K{Qt::Key_PageDown, Qt::Key_Tab} << "page";
        QTest::newRow("a click into the text") << K{Qt::Key_PageDown, 0} << "page";
    }
    void keysScroll() {
        QFETCH(QList<int>, keys);
        QFETCH(QString, at);
        QByteArray lines;
        for (int line = 1; line <= 200; ++line)
            lines += "Line " + QByteArray::number(line) + "\\par ";
        writeHelp("{\\rtf1 S01^\\par " + lines + "E01^}");
        appSettings().HelpTopic = Help::RecordKeysTopic;
        frmHelp form;
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        for (int key : keys) {
            if (key == 0)
                QTest::mouseClick(form.RichTextBox1->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
            else
                QTest::keyClick(form.cmdExit, Qt::Key(key));
        }
        const QScrollBar *bar = form.RichTextBox1->verticalScrollBar();
        QVERIFY(bar->maximum() > 2 * bar->pageStep());
        const QMap<QString, int> places = {{"top", 0},
                                           {"page", bar->pageStep()},
                                           {"2 pages", 2 * bar->pageStep()},
                                           {"line", bar->singleStep()},
                                           {"end", bar->maximum()}};
        QCOMPARE(bar->value(), places.value(at));
        QCOMPARE(QApplication::focusWidget(), form.cmdExit);
        QVERIFY(form.isVisible());
    }

    // As wide as the screen, as high as the entry screen; made smaller than its design, EXIT
    // stays inside and the viewer above it.
    void geometry_data() {
        QTest::addColumn<int>("entryHeight"); // 0: opened alone
        QTest::addColumn<QSize>("size");      // what it is made afterwards; empty: as it opens
        QTest::addColumn<QList<QRect>>("expected"); // the form, EXIT, the viewer
        using R = QList<QRect>;
        QTest::newRow("the entry screen's height")
            << 450 << QSize() << R{{0, 0, 800, 450}, {10, 401, 81, 25}, {0, 0, 794, 394}};
        QTest::newRow("640 by 459")
            << 0 << QSize(640, 459) << R{{0, 0, 640, 459}, {8, 409, 81, 25}, {0, 0, 636, 401}};
        QTest::newRow("smaller than its design")
            << 0 << QSize(400, 200) << R{{0, 0, 400, 200}, {5, 171, 81, 25}, {0, 0, 399, 168}};
    }
    void geometry() {
        QFETCH(int, entryHeight);
        QFETCH(QSize, size);
        QFETCH(QList<QRect>, expected);
        QWidget entry;
        entry.resize(300, entryHeight);
        appSettings().HelpTopic = Help::AboutTopic;
        frmHelp form(entryHeight > 0 ? &entry : nullptr);
        form.show();
        if (size.isValid())
            form.resize(size);
        QCOMPARE((QList<QRect>{QRect(QPoint(), form.size()), form.cmdExit->geometry(),
                               form.RichTextBox1->geometry()}),
                 expected);
    }

    // The entry screen's Help menu opens the form modally with its topic, the same each time:
    // the about text, bold at 12 points, or the shipped document's section with the picture
    // lying on the text and moving with it. EXIT has the focus; each way of closing the form
    // ends its topic.
    void entryScreenMenus_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("golden"); // the text shown
        QTest::addColumn<QString>("fonts");  // bold and size at the 2nd, the 21st and the last
        QTest::addColumn<QRect>("picture");  // empty: none shown
        const QString about = "forms/help-about.txt", bold = "1 12, 1 12, 1 12";
        QTest::newRow("About, EXIT clicked")
            << "mnuAbout" << Help::AboutTopic << "EXIT" << about << bold << QRect();
        QTest::newRow("About, Escape on EXIT")
            << "mnuAbout" << Help::AboutTopic << "Escape" << about << bold << QRect();
        QTest::newRow("About, close box")
            << "mnuAbout" << Help::AboutTopic << "close" << about << bold << QRect();
        QTest::newRow("Record Action Keys") << "mnuRecHlp" << Help::RecordKeysTopic << "EXIT"
                                            << "forms/help-record-keys.txt"
                                            << "1 12, 0 10, 0 10"
                                            << QRect(twipsToPixels(5120), twipsToPixels(3200),
                                                     twipsToPixels(2500), twipsToPixels(300));
    }

    void entryScreenMenus() {
        QFETCH(QString, item);
        QFETCH(QString, topic);
        QFETCH(QString, how);
        QFETCH(QString, golden);
        QFETCH(QString, fonts);
        QFETCH(QRect, picture);
        QVERIFY(QFile::copy(QFINDTESTDATA("../../resources/ZEL_HLP.RTF"), "ZEL_HLP.RTF"));
        appSettings().DatabasePath = QStringLiteral(".\\ZELDB.mdb");
        createDealDatabase(QStringLiteral("ZELDB.mdb"));
        frmZEL entry;
        fx->prompter.shown.clear();
        for (int time = 0; time < 2; ++time) {
            QString title, text, shownTopic;
            QStringList shownFonts;
            QRect place;
            QPoint scrolled;
            int cursor = -1;
            bool focused = false, closed = false;
            QTimer::singleShot(0, [&] {
                auto *help = qobject_cast<frmHelp *>(QApplication::activeModalWidget());
                QVERIFY(help != nullptr);
                title = help->windowTitle();
                text = help->RichTextBox1->toPlainText();
                shownTopic = appSettings().HelpTopic;
                for (int position : {1, 20, int(text.size())})
                    shownFonts << QStringLiteral("%1 %2")
                                      .arg(formatAt(help->RichTextBox1, position).font().bold())
                                      .arg(formatAt(help->RichTextBox1, position).fontPointSize());
                cursor = help->RichTextBox1->textCursor().position();
                focused =
                    QTest::qWaitFor([&] { return QApplication::focusWidget() == help->cmdExit; });
                if (help->Data1->isVisibleTo(help)) {
                    place = QRect(help->Data1->mapTo(help, QPoint()), help->Data1->size());
                    help->RichTextBox1->verticalScrollBar()->setValue(40);
                    scrolled = help->Data1->mapTo(help, QPoint());
                }
                if (how == QLatin1String("EXIT"))
                    QTest::mouseClick(help->cmdExit, Qt::LeftButton);
                else if (how == QLatin1String("Escape"))
                    QTest::keyClick(help->cmdExit, Qt::Key_Escape);
                else
                    help->close();
                closed = !help->isVisible();
                help->close(); // not left open whatever went wrong
            });
            entry.findChild<QAction *>(item)->trigger();
            QVERIFY(focused && closed);
            QCOMPARE(cursor, 0);
            QCOMPARE(title, QStringLiteral("HELP"));
            QCOMPARE(text, goldenText(golden));
            QCOMPARE(shownTopic, topic);
            QCOMPARE(shownFonts.join(", "), fonts);
            QCOMPARE(place, picture);
            QCOMPARE(scrolled, picture.isNull() ? QPoint() : picture.topLeft() - QPoint(0, 40));
            QVERIFY(appSettings().HelpTopic.isEmpty());
        }
        QCOMPARE(fx->shown(), QStringList());
        entry.close();
    }
};

REGISTER_TEST(HelpFormTest);
#include "tst_helpform.moc"
