#include "forms/RtfTextDocument.h"

#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

void fillTextDocument(QTextDocument &target, const RtfDocument &source) {
    target.clear();
    QTextCursor cursor(&target);
    for (const RtfRun &run : source.runs) {
        QTextCharFormat format;
        format.setFontWeight(run.format.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(run.format.italic);
        format.setFontUnderline(run.format.underline);
        if (run.format.halfPoints > 0)
            format.setFontPointSize(run.format.halfPoints / 2.0);
        // Paragraph separators in the text become new blocks, one position each.
        cursor.insertText(run.text, format);
    }
}
