#include "domain/help/RtfReader.h"

#include "base/Cp1252.h"

#include <algorithm>
#include <cstring>
#include <vector>

QString RtfDocument::plainText() const {
    QString text;
    for (const RtfRun &run : runs)
        text += run.text;
    return text;
}

namespace {
// Destinations whose text is never shown: tables, document information, pictures and objects,
// headers, footers, notes and field instructions. Blank-separated, with a blank at each end.
const QByteArray skippedDestinations =
    " annotation atnauthor atnid author bkmkend bkmkstart buptim colortbl comment creatim "
    "datastore doccomm filetbl fldinst fonttbl footer footerf footerl footerr footnote generator "
    "header headerf headerl headerr info keywords latentstyles listoverridetable listtable "
    "nonshppict object operator pgdsctbl pict printim private revtbl revtim rsidtbl shp shpinst "
    "stylesheet subject tc themedata title txe userprops xe xmlnstbl ";

const QByteArray underlineWords = " ul uld uldash uldashd uldashdd uldb ulhwave ulth ulw ulwave ";

bool listed(const QByteArray &word, const QByteArray &list) {
    return list.contains(' ' + word + ' ');
}

// Code page 1252, byte by byte.
const QString &codePage() {
    static const QString table = [] {
        QByteArray all(256, '\0');
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        return Cp1252::decode(all);
    }();
    return table;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

struct Group {
    RtfFormat format;
    int uc = 1;        // fallback characters that follow a \uN escape
    bool skip = false; // a destination whose text is not shown
};

class Reader {
public:
    explicit Reader(const QByteArray &bytes) : in(bytes) {}

    RtfDocument read() {
        while (at < in.size() && std::strchr(" \t\r\n", in.at(at)) != nullptr)
            ++at;
        if (!in.mid(at, 5).startsWith("{\\rtf")) {
            fail("it is not a rich-text document");
            return std::move(doc);
        }
        bool closed = false;
        while (at < in.size() && !closed) {
            const char c = in.at(at++);
            switch (c) {
            case '{':
                if (int(groups.size()) >= Rtf::maxDepth) {
                    fail("its groups are nested too deeply");
                    at = in.size();
                    break;
                }
                groups.push_back(groups.empty() ? Group() : groups.back());
                fallback = 0;
                break;
            case '}':
                groups.pop_back();
                fallback = 0;
                closed = groups.empty();
                break;
            case '\\':
                escape();
                break;
            case '\r':
            case '\n':
                break; // line ends in the file are not text
            default:
                put(codePage().at(static_cast<unsigned char>(c)));
            }
        }
        flushSurrogate();
        if (!groups.empty())
            fail("it ends before its last group is closed");
        while (at < in.size() && std::strchr(" \t\r\n", in.at(at)) != nullptr)
            ++at;
        if (at < in.size() && in.at(at) != '\0')
            fail("it goes on after its end");
        return std::move(doc);
    }

private:
    void fail(const char *why) {
        if (doc.error.isEmpty())
            doc.error = QString::fromLatin1(why);
    }

    Group &group() { return groups.back(); }

    void escape() {
        if (at >= in.size()) {
            fail("it ends in the middle of an escape");
            return;
        }
        const char c = in.at(at);
        if (isLetter(c)) {
            controlWord();
            return;
        }
        ++at;
        switch (c) {
        case '\'': {
            if (at + 2 > in.size()) {
                fail("it ends in the middle of an escape");
                at = in.size();
                return;
            }
            const int high = hexValue(in.at(at)), low = hexValue(in.at(at + 1));
            if (high < 0 || low < 0) {
                fail("it holds a damaged character escape");
                return;
            }
            at += 2;
            put(codePage().at(high * 16 + low));
            return;
        }
        case '\\':
        case '{':
        case '}':
            put(QLatin1Char(c));
            return;
        case '~':
            put(QChar(0x00A0));
            return;
        case '_':
            put(QChar(0x2011));
            return;
        case '\r':
        case '\n':
            put(QChar::ParagraphSeparator);
            return;
        case '*':
            group().skip = true; // a destination this reader does not know
            return;
        default:
            return; // optional hyphens, index marks and unknown symbols show nothing
        }
    }

    void controlWord() {
        const qsizetype start = at;
        while (at < in.size() && isLetter(in.at(at)))
            ++at;
        const QByteArray word = in.mid(start, std::min<qsizetype>(at - start, 32));
        bool hasParameter = false;
        bool negative = false;
        long long parameter = 0;
        if (at < in.size() && in.at(at) == '-') {
            negative = true;
            ++at;
        }
        while (at < in.size() && in.at(at) >= '0' && in.at(at) <= '9') {
            hasParameter = true;
            parameter = std::min(parameter * 10 + (in.at(at) - '0'), 1000000000LL);
            ++at;
        }
        if (negative)
            parameter = -parameter;
        if (at < in.size() && in.at(at) == ' ')
            ++at; // the blank only ends the word
        apply(word, hasParameter, int(parameter));
    }

    void apply(const QByteArray &word, bool hasParameter, int parameter) {
        RtfFormat &f = group().format;
        const bool on = !hasParameter || parameter != 0;
        if (word == "par" || word == "sect" || word == "page" || word == "row")
            put(QChar::ParagraphSeparator);
        else if (word == "line")
            put(QChar::LineSeparator);
        else if (word == "tab" || word == "cell")
            put(QLatin1Char('\t'));
        else if (word == "b")
            f.bold = on;
        else if (word == "i")
            f.italic = on;
        else if (listed(word, underlineWords))
            f.underline = on;
        else if (word == "ulnone")
            f.underline = false;
        else if (word == "fs")
            f.halfPoints = hasParameter ? std::clamp(parameter, 2, 288) : 24;
        else if (word == "plain")
            f = RtfFormat();
        else if (word == "uc")
            group().uc = std::clamp(parameter, 0, 255);
        else if (word == "u")
            unicode(parameter);
        else if (word == "bin")
            binary(hasParameter, parameter);
        else if (word == "emdash")
            put(QChar(0x2014));
        else if (word == "endash")
            put(QChar(0x2013));
        else if (word == "bullet")
            put(QChar(0x2022));
        else if (word == "lquote")
            put(QChar(0x2018));
        else if (word == "rquote")
            put(QChar(0x2019));
        else if (word == "ldblquote")
            put(QChar(0x201C));
        else if (word == "rdblquote")
            put(QChar(0x201D));
        else if (listed(word, skippedDestinations))
            group().skip = true;
        // Every other word sets something this viewer does not show.
    }

    void unicode(int code) {
        if (code < 0)
            code += 65536;
        fallback = 0;
        put(code >= 0 && code <= 0xFFFF ? QChar(char16_t(code))
                                        : QChar(QChar::ReplacementCharacter));
        fallback = group().uc;
    }

    void binary(bool hasParameter, int length) {
        if (!hasParameter || length < 0) {
            fail("it holds damaged binary data");
            return;
        }
        if (length > in.size() - at) {
            fail("it ends in the middle of binary data");
            at = in.size();
            return;
        }
        at += length;
    }

    void put(QChar ch) {
        if (group().skip)
            return;
        if (fallback > 0) {
            --fallback; // the stand-in for the \uN character just shown
            return;
        }
        if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n'))
            ch = QChar::ParagraphSeparator;
        else if (ch.unicode() < 0x20 && ch != QLatin1Char('\t'))
            return;
        // Characters the text document takes for frame marks or objects would shift positions.
        else if (ch.unicode() == 0xFDD0 || ch.unicode() == 0xFDD1 ||
                 ch == QChar::ObjectReplacementCharacter)
            ch = QChar::ReplacementCharacter;
        if (ch.isHighSurrogate()) {
            flushSurrogate();
            highSurrogate = ch;
            return;
        }
        if (ch.isLowSurrogate()) {
            if (highSurrogate.isNull()) {
                append(QChar::ReplacementCharacter);
                return;
            }
            append(highSurrogate);
            highSurrogate = QChar();
            append(ch);
            return;
        }
        flushSurrogate();
        append(ch);
    }

    // A high surrogate not followed by its low half stands for nothing readable.
    void flushSurrogate() {
        if (highSurrogate.isNull())
            return;
        highSurrogate = QChar();
        append(QChar::ReplacementCharacter);
    }

    void append(QChar ch) {
        const RtfFormat &f = groups.empty() ? RtfFormat() : group().format;
        if (doc.runs.isEmpty() || !(doc.runs.last().format == f))
            doc.runs.append({QString(), f});
        doc.runs.last().text.append(ch);
    }

    const QByteArray &in;
    qsizetype at = 0;
    std::vector<Group> groups; // the open groups, innermost last
    int fallback = 0;          // fallback characters still to drop after \uN
    QChar highSurrogate;       // the first half of a pair, waiting for the second
    RtfDocument doc;
};
} // namespace

RtfDocument Rtf::read(const QByteArray &bytes) {
    return Reader(bytes).read();
}
