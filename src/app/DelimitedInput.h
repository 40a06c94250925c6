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

private:
    QString text;
    qsizetype pos = 0;
};
