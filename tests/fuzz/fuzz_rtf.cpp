// libFuzzer target for the rich-text reader: every input must be read without a crash, a hang
// or a sanitizer report, give runs the viewer can take, and build a text document whose
// characters stand where the runs put them (the help section is cut by those positions).
// Built when VOLMERA_FUZZ is on and run by scripts/fuzz; never part of the default build.
#include "FuzzCheck.h"
#include "base/ErrorTrap.h"
#include "domain/help/HelpSection.h"
#include "domain/help/RtfReader.h"
#include "forms/RtfTextDocument.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const RtfDocument doc = Rtf::read(bytes);

    for (const RtfRun &run : doc.runs) {
        check(!run.text.isEmpty());
        check(run.format.halfPoints == 0 ||
              (run.format.halfPoints >= 2 && run.format.halfPoints <= 288));
    }
    const QString plain = doc.plainText();
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const char16_t c = plain.at(i).unicode();
        check(c >= 0x20 || c == u'\t');
        check(c != 0xFDD0 && c != 0xFDD1 && c != 0xFFFC);
        if (QChar::isHighSurrogate(c))
            check(i + 1 < plain.size() && plain.at(i + 1).isLowSurrogate());
        if (QChar::isLowSurrogate(c))
            check(i > 0 && plain.at(i - 1).isHighSurrogate());
    }

    QTextDocument built;
    fillTextDocument(built, doc);
    check(built.characterCount() - 1 == plain.size());

    // The section cut as the form makes it.
    try {
        const int start = Help::sectionStart(plain, QStringLiteral("x"), Help::RecordKeysMarker);
        check(start >= 0 && start <= plain.size());
        const QString rest = plain.mid(start);
        const int end = Help::sectionEnd(rest, QStringLiteral("x"), Help::RecordKeysMarker);
        check(end >= 0 && end <= rest.size());
    } catch (const VolmeraError &) {
    }
    return 0;
}
