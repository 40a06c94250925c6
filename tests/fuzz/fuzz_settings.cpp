// libFuzzer target for the settings file reader: every file must be read without a crash, a
// hang or a sanitizer report; reading items always moves forward; and what was read, written
// back as the settings dialog writes it, reads the same.
#include "FuzzCheck.h"
#include "base/Cp1252.h"
#include "base/DelimitedInput.h"
#include "base/ErrorTrap.h"
#include "base/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdint>

namespace {
// Each input is written to a file: in memory when the machine offers it, for speed.
QString folder() {
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                 ? QStringLiteral("/dev/shm/volmera-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/volmera-fuzz-XXXXXX"));
    return dir.path();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    DelimitedInput input(Cp1252::decode(bytes));
    while (!input.atEnd()) {
        const qsizetype before = input.position();
        input.next();
        check(input.position() > before);
    }

    const QString path = folder() + QStringLiteral("/ZEL.CFG");
    {
        QFile file(path);
        check(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    SettingsFile::Content read;
    try {
        SettingsFile::read(path, read);
    } catch (const VolmeraError &) {
        return 0;
    }
    bool password = false;
    try {
        password = SettingsFile::toBoolean(read.passwordText);
    } catch (const VolmeraError &) {
    }
    // The dialog cannot store a double quote in an item; it writes an apostrophe instead.
    const auto stored = [](QString text) { return text.replace(u'"', u'\''); };
    SettingsFile::write(path, read.dealerName, read.reserved, password);
    SettingsFile::Content again;
    SettingsFile::read(path, again);
    check(again.dealerName == stored(read.dealerName));
    check(again.reserved == stored(read.reserved));
    check(SettingsFile::toBoolean(again.passwordText) == password);
    return 0;
}
