#pragma once

#include "domain/help/RtfReader.h"

#include <QSize>
#include <QString>

// What the help form shows, by HelpTopic: the About text, or a section of the help document
// named by a reference such as ".\ZEL_HLP.RTF/S01E01". A section runs from its start tag, the
// marker's first three characters and "^" (S01^), to its end tag, the last three and "^" (E01^).
namespace Help {
inline const QString AboutTopic = QStringLiteral("ABOUT");
inline const QString Document = QStringLiteral(".\\ZEL_HLP.RTF");
inline const QString RecordKeysTopic = Document + QStringLiteral("/S01E01");
inline const QString RecordKeysMarker = QStringLiteral("S01E01");

// The About text; database names the deal database in use.
QString aboutText(const QString &database);

struct Reference {
    QString path;   // the text before the first "/"
    QString marker; // the topic's last six characters
};
Reference reference(const QString &helpTopic);

// The number of characters to delete from the start of the document's text: all before the
// start tag, the tag and the one character after it. Throws when there is no start tag.
int sectionStart(const QString &plainText, const QString &path, const QString &marker);
// Where the end tag begins in the text left after the start was cut; everything from there on
// is deleted. Throws when there is no end tag.
int sectionEnd(const QString &plainText, const QString &path, const QString &marker);

// Reads the help document at a path named the dealership's way. Throws when the file cannot be
// read; a damaged document comes back with what could be read and the fault in its error text.
RtfDocument loadDocument(const QString &dosPath);

// The form's layout, in twips, for a form of the given size.
struct Layout {
    int exitLeft, exitTop;
    int viewerWidth, viewerHeight;
};
Layout layoutFor(QSize formTwips);
} // namespace Help
