#include "cli/OutputWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <charconv>
#include <cmath>
#include <iterator>

namespace {
constexpr qsizetype spillAt = 1 << 16;

// Printable ASCII goes out as it is, in text and in a JSON string alike: appended in one pass
// when the text is all such; false, with nothing appended, otherwise.
bool appendPlain(QByteArray &into, QStringView text, bool json) {
    const qsizetype at = into.size();
    into.resize(at + text.size());
    char *out = into.data() + at;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80 || (json && (u < 0x20 || u == u'"' || u == u'\\'))) {
            into.resize(at);
            return false;
        }
        *out++ = char(u);
    }
    return true;
}
} // namespace

OutputWriter::OutputWriter(std::FILE *stream) : stream(stream) {
    buffer.reserve(spillAt + 4096);
}

void OutputWriter::appendText(QByteArray &into, QStringView text) {
    if (!appendPlain(into, text, false))
        into.append(text.toUtf8());
}

OutputWriter &OutputWriter::text(QStringView text) {
    appendText(buffer, text);
    spill();
    return *this;
}

OutputWriter &OutputWriter::bytes(QByteArrayView utf8) {
    buffer.append(utf8);
    spill();
    return *this;
}

void OutputWriter::appendJsonString(QByteArray &into, QStringView text) {
    into.append('"');
    if (appendPlain(into, text, true)) {
        into.append('"');
    } else {
        into.chop(1);
        // Anything to escape is escaped by QJsonDocument itself: ["..."] without its brackets.
        const QByteArray one =
            QJsonDocument(QJsonArray{text.toString()}).toJson(QJsonDocument::Compact);
        into.append(one.constData() + 1, one.size() - 2);
    }
}

void OutputWriter::appendJsonNumber(QByteArray &into, double number) {
    // QJsonDocument writes a whole number up to 2^53 with all its digits (10000000, not 1e+07)
    // and any other in its shortest form.
    constexpr double exact = 9007199254740992.0;
    if (std::isfinite(number) && std::trunc(number) == number && std::fabs(number) <= exact) {
        char digits[24];
        into.append(digits, std::to_chars(digits, std::end(digits), qint64(number)).ptr - digits);
    } else if (std::fabs(number) >= 0.01 && std::fabs(number) < 1e15) {
        // Here its shortest form is in fixed notation, as QJsonDocument writes it, and needs
        // no string of its own: a report's figures run to hundreds of thousands.
        char digits[32];
        into.append(digits,
                    std::to_chars(digits, std::end(digits), number, std::chars_format::fixed).ptr -
                        digits);
    } else if (std::isfinite(number))
        into.append(QByteArray::number(number, 'g', QLocale::FloatingPointShortest));
    else
        into.append("null");
}

void OutputWriter::spill() {
    if (buffer.size() < spillAt)
        return;
    std::fwrite(buffer.constData(), 1, size_t(buffer.size()), stream);
    buffer.resize(0);
}

bool OutputWriter::finish() {
    if (!buffer.isEmpty())
        std::fwrite(buffer.constData(), 1, size_t(buffer.size()), stream);
    buffer.resize(0);
    return std::fflush(stream) == 0 && !std::ferror(stream);
}
