#include "cli/OutputWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <charconv>
#include <cmath>
#include <iterator>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace {
constexpr qsizetype spillAt = 1 << 16;

// Printable ASCII goes out as it is, in text and in a JSON string alike: appended in one pass
// when the text is all such; false, with nothing appended, otherwise.
bool appendPlain(QByteArray &into, QStringView text, bool json) {
    const qsizetype at = into.size();
    into.resize(at + text.size());
    if (OutputWriter::copyPlain(into.data() + at, text, json) != nullptr)
        return true;
    into.resize(at);
    return false;
}
} // namespace

char *OutputWriter::copyPlain(char *out, QStringView text, bool json) {
    const char16_t *from = text.utf16();
    const char16_t *const end = from + text.size();
#if defined(__SSE2__) || defined(_M_X64)
    // Eight characters at a time, a report's hundreds of thousands of lines being mostly such:
    // above 0x7F leaves a saturating subtraction of 0x7F nonzero, below 0x20 one from 0x20. Out
    // of JSON the quote and the backslash are looked for as 0x80, already refused.
    const __m128i top = _mm_set1_epi16(0x7F), low = _mm_set1_epi16(json ? 0x20 : 0);
    const __m128i quote = _mm_set1_epi16(json ? '"' : 0x80);
    const __m128i backslash = _mm_set1_epi16(json ? '\\' : 0x80);
    for (; end - from >= 8; from += 8, out += 8) {
        const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from));
        const __m128i refused = _mm_or_si128(
            _mm_or_si128(_mm_subs_epu16(chars, top), _mm_subs_epu16(low, chars)),
            _mm_or_si128(_mm_cmpeq_epi16(chars, quote), _mm_cmpeq_epi16(chars, backslash)));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(refused, _mm_setzero_si128())) != 0xFFFF)
            return nullptr;
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out), _mm_packus_epi16(chars, chars));
    }
#endif
    for (; from != end; ++from) {
        const char16_t u = *from;
        if (u >= 0x80 || (json && (u < 0x20 || u == u'"' || u == u'\\')))
            return nullptr;
        *out++ = char(u);
    }
    return out;
}

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
