#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <cstdio>

// Text for standard output, gathered in one buffer and written in large pieces: a report may
// hold hundreds of thousands of lines. Text goes out as UTF-8, JSON strings escaped as
// QJsonDocument escapes them.
class OutputWriter {
public:
    explicit OutputWriter(std::FILE *stream);
    ~OutputWriter() { finish(); }
    OutputWriter(const OutputWriter &) = delete;
    OutputWriter &operator=(const OutputWriter &) = delete;

    OutputWriter &text(QStringView text);
    OutputWriter &bytes(QByteArrayView utf8);
    // Writes what is gathered; false when the stream refused any of it.
    bool finish();

    // The same texts appended to other bytes, such as a piece of lines made on another thread.
    static void appendText(QByteArray &into, QStringView text);
    // Text that goes out as it is, written at out as bytes: printable ASCII, and in a JSON string
    // neither a quote nor a backslash. Returns the end of what it wrote; null when the text is
    // not such, what it wrote then being of no use. out has room for text.size() bytes.
    static char *copyPlain(char *out, QStringView text, bool json);
    // A JSON string with its quotes, and a number as QJsonDocument writes it.
    static void appendJsonString(QByteArray &into, QStringView text);
    static void appendJsonNumber(QByteArray &into, double number);

private:
    void spill();

    std::FILE *stream;
    QByteArray buffer;
};
