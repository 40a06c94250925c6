#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The character formatting a run of rich text carries.
struct RtfFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 0; // the font size in half points; 0 when the document gives none
    bool operator==(const RtfFormat &) const = default;
};

struct RtfRun {
    QString text;
    RtfFormat format;
};

// A rich-text document as runs of formatted text. A paragraph ends in QChar::ParagraphSeparator
// and a line break is QChar::LineSeparator, so each character stands at the same position as in
// the text document built from the runs: the help section is cut by those positions.
struct RtfDocument {
    QList<RtfRun> runs;
    QString error; // why the reading stopped short or went wrong; empty for a sound document
    QString plainText() const;
};

// Reads the common part of the rich-text format: groups, control words and symbols, paragraphs,
// line breaks, tabs, bold, italic, underline, font size, \'xx (code page 1252) and \uN escapes.
// Font, colour and style tables, document information, pictures and \* groups are skipped.
// Any input is read in one pass without recursion; a damaged one gives what could be read and
// the first fault found.
namespace Rtf {
RtfDocument read(const QByteArray &bytes);
// Groups nested deeper than this stop the reading.
constexpr int maxDepth = 200;
} // namespace Rtf
