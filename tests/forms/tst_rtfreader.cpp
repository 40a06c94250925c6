#include "TestRegistry.h"
#include "domain/help/RtfReader.h"
#include "forms/RtfTextDocument.h"

#include <QTextDocument>

namespace {
// The text with paragraph ends as "\n" and line breaks as "\v".
QString shownText(const RtfDocument &doc) {
    QString text = doc.plainText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\v'));
    return text;
}

// Each run as "<b><i><u><sNN>:text", the flags of its format before the colon.
QStringList runList(const RtfDocument &doc) {
    QStringList runs;
    for (const RtfRun &run : doc.runs) {
        const RtfFormat &f = run.format;
        runs << QStringLiteral("%1%2%3%4:%5")
                    .arg(f.bold ? "b" : "", f.italic ? "i" : "", f.underline ? "u" : "",
                         f.halfPoints > 0 ? QStringLiteral("s%1").arg(f.halfPoints) : QString(),
                         run.text);
    }
    return runs;
}
} // namespace

class RtfReaderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsText_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("damaged");
        auto row = [](const char *name, const QByteArray &rtf, const QString &text,
                      bool damaged = false) { QTest::newRow(name) << rtf << text << damaged; };
        row("plain", "{\\rtf1 Hello}", "Hello");
        row("breaks", "{\\rtf1 a\\par b\\line c\\tab d\\par\\par e}", "a\nb\vc\td\n\ne");
        row("file line ends are not text", "{\\rtf1 a\r\nb\nc\\\nd}", "abc\nd");
        row("hex escapes in 1252", "{\\rtf1 caf\\'e9 \\'93q\\'94 \\'80}",
            QString::fromUtf8("café “q” €"));
        row("unicode with fallback", "{\\rtf1\\uc2 \\u20320??x\\uc1 \\u8212-y}",
            QString::fromUtf8("你x—y"));
        row("surrogate pair from negatives", "{\\rtf1 \\u-10179?\\u-8704?!}",
            QString::fromUtf8("😀!"));
        row("lone surrogate", "{\\rtf1 \\u-10179?x}", QString::fromUtf8("\uFFFDx"));
        row("control symbols", "{\\rtf1 a\\\\b\\{c\\}d\\~e\\-f\\_g}",
            QString::fromUtf8("a\\b{c}d\u00A0ef\u2011g"));
        row("named characters", "{\\rtf1 \\lquote a\\rquote \\ldblquote b\\rdblquote\\bullet}",
            QString::fromUtf8("‘a’“b”•"));
        row("tables and information skipped",
            "{\\rtf1\\ansi{\\fonttbl{\\f0\\fmodern Courier "
            "New;}}{\\colortbl;\\red0\\green0\\blue0;}"
            "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}{\\*\\generator G;}"
            "{\\*\\unknown {nested} text}Body}",
            "Body");
        row("field shows its result", "{\\rtf1{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt see}}}",
            "see");
        row("binary data may hold braces", "{\\rtf1 a{\\*\\blip\\bin4 {}\\\\}b}", "ab");
        row("control words end at a blank", "{\\rtf1\\fs24 \\b1 x\\b0  y}", "x y");
        row("trailing line end and NUL", QByteArray("{\\rtf1 a}\r\n\0", 12), "a");
        row("not rich text", "Hello {\\b world}", "", true);
        row("empty", "", "", true);
        row("truncated", "{\\rtf1 abc{\\b def", "abcdef", true);
        row("truncated escape", "{\\rtf1 ab\\'4", "ab", true);
        row("truncated after backslash", "{\\rtf1 ab\\", "ab", true);
        row("damaged hex", "{\\rtf1 a\\'zzb}", "azzb", true);
        row("binary past the end", "{\\rtf1 a\\bin99 xx}", "a", true);
        row("text after the end", "{\\rtf1 a}b", "a", true);
        row("nested too deep", "{\\rtf1 a" + QByteArray(300, '{') + "b" + QByteArray(301, '}'), "a",
            true);
        row("nested just deep enough",
            "{\\rtf1 a" + QByteArray(Rtf::maxDepth - 1, '{') + "b" + QByteArray(Rtf::maxDepth, '}'),
            "ab");
    }

    // The text document built from the runs has each character where the runs' text has it:
    // the help section is cut by those positions.
    void readsText() {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, text);
        QFETCH(bool, damaged);
        const RtfDocument doc = Rtf::read(rtf);
        QCOMPARE(shownText(doc), text);
        QCOMPARE(!doc.error.isEmpty(), damaged);

        QTextDocument built;
        fillTextDocument(built, doc);
        QCOMPARE(built.toPlainText(),
                 shownText(doc).replace(u'\v', u'\n').replace(u'\u00A0', u' '));
        QCOMPARE(built.characterCount() - 1, doc.plainText().size());
    }

    void keepsFormats_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QStringList>("runs");
        const auto row = [](const char *name, const QByteArray &rtf, const char *runs) {
            QTest::newRow(name) << rtf << QString(runs).split(' ');
        };
        row("groups restore the format", "{\\rtf1 a{\\b b{\\i c}d}e}", ":a b:b bi:c b:d :e");
        row("font sizes and plain", "{\\rtf1\\fs20 a\\b\\fs32 b\\plain c\\fs d}",
            "s20:a bs32:b :c s24:d");
        row("sizes held to a readable range", "{\\rtf1\\fs0 a\\fs99999999999 b\\fs-4 c}",
            "s2:a s288:b s2:c");
        row("underline kinds", "{\\rtf1\\ul a\\ulnone b\\ul0 c\\uldb d\\ulw0 e}", "u:a :bc u:d :e");
        row("toggles with parameters", "{\\rtf1\\b1 a\\b0 b\\i1\\b c\\i0\\b0 d}", "b:a :b bi:c :d");
        row("skipped groups keep no format", "{\\rtf1 a{\\fonttbl\\b x}b}", ":ab");
    }

    void keepsFormats() {
        QFETCH(QByteArray, rtf);
        QFETCH(QStringList, runs);
        const RtfDocument doc = Rtf::read(rtf);
        QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
        QCOMPARE(runList(doc), runs);
    }
};

REGISTER_TEST(RtfReaderTest);
#include "tst_rtfreader.moc"
