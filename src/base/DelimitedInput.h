#pragma once

#include <QString>

// Reads comma-delimited items the way the dealership's files are written: an item in double
// quotes is taken up to the closing quote and may hold commas; an unquoted item ends at a
// comma or a line end and loses its surrounding blanks; a line end also ends an item.
class DelimitedInput {
public:
    explicit DelimitedInput(QString text) : text(std::move(text)) {}

    // True when nothing but blanks and line ends is left.
    bool atEnd() const;
    // The next item; throws VolmeraError("Input past end of file") at the end.
    QString next();

    // How the last item ended, for readers that check the shape of a file: at a line end (or
    // the end of the text) rather than a comma; and whether it was quoted without its closing
    // quote on the same line.
    bool endedLine() const { return lineEnded; }
    bool quoteUnclosed() const { return unclosed; }

    // Where reading stands, as an offset into the text, to go back to.
    qsizetype position() const { return pos; }
    void setPosition(qsizetype offset) { pos = qBound(qsizetype(0), offset, text.size()); }

private:
    QString text;
    qsizetype pos = 0;
    bool lineEnded = false;
    bool unclosed = false;
};
