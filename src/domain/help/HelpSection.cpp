#include "domain/help/HelpSection.h"

#include "base/ErrorTrap.h"
#include "base/PathMapping.h"

#include <QFile>

QString Help::aboutText(const QString &database) {
    const QString indent(15, QLatin1Char(' '));
    return QStringList{QString(),
                       QString(),
                       QString(),
                       QString(),
                       indent + QStringLiteral("VOLMERA PROGRAM"),
                       QString(),
                       QString(),
                       indent + QStringLiteral("AFFORDABLE SOFTWARE FOR NEW AND USED"),
                       indent + QStringLiteral("AUTO DEALERSHIPS ON WINDOWS NETWORKS"),
                       QString(),
                       QString(),
                       indent + QStringLiteral("DEAL DATABASE:"),
                       indent + database}
        .join(QStringLiteral("\r\n"));
}

Help::Reference Help::reference(const QString &helpTopic) {
    return {helpTopic.section(QLatin1Char('/'), 0, 0), helpTopic.right(6)};
}

int Help::sectionStart(const QString &plainText, const QString &path, const QString &marker) {
    const QString tag = marker.left(3) + QLatin1Char('^');
    const qsizetype found = plainText.indexOf(tag);
    // Without its tag the section is not there: cutting four characters off the document's start
    // and showing the rest would pass the whole document off as the section.
    if (found < 0)
        throw VolmeraError(
            QStringLiteral("The help document \"%1\" has no section %2.").arg(path, tag));
    return int(std::min(found + tag.size() + 1, plainText.size()));
}

int Help::sectionEnd(const QString &plainText, const QString &path, const QString &marker) {
    const QString tag = marker.right(3) + QLatin1Char('^');
    const qsizetype found = plainText.indexOf(tag);
    if (found < 0)
        throw VolmeraError(QStringLiteral("The help document \"%1\" has no end tag %2 after %3.")
                               .arg(path, tag, marker.left(3) + QLatin1Char('^')));
    return int(found);
}

RtfDocument Help::loadDocument(const QString &dosPath) {
    QFile file(PathMapping::toLocal(dosPath));
    if (!file.open(QIODevice::ReadOnly))
        throw VolmeraError(QStringLiteral("The help document \"%1\" cannot be opened: %2")
                               .arg(dosPath, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw VolmeraError(QStringLiteral("The help document \"%1\" cannot be read: %2")
                               .arg(dosPath, file.errorString()));
    RtfDocument document = Rtf::read(bytes);
    if (!document.error.isEmpty())
        document.error = QStringLiteral("The help document \"%1\" cannot be read in full: %2.")
                             .arg(dosPath, document.error);
    return document;
}

Help::Layout Help::layoutFor(QSize formTwips) {
    const double width = formTwips.width(), height = formTwips.height();
    return {int(width / 80), int(height / 1.1307), int(width / 1.01265), int(height / 1.1533)};
}
