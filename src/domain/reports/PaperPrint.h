#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class Prompter;
class PrintStream;

// Jobs printed on a sheet the user feeds by hand: the deal sheet and the form letters.

// Opens the stream a job goes to; the default printer unless a caller says otherwise.
using PrintStreamOpener = std::function<std::unique_ptr<PrintStream>()>;
PrintStreamOpener defaultPrinterOpener(const QString &jobTitle);

// Asks question with OK and Cancel; on OK sends bytes as one job and closes it. A failure is
// shown as a critical box titled tag. True only when the whole job was sent.
bool printOnPaper(const QString &question, const QByteArray &bytes, const QString &tag,
                  Prompter &prompter, const PrintStreamOpener &open);

// The letter box's text, as it stands, on a sheet: nothing happens for a text of blanks; its
// lines end CRLF and one more CRLF follows the text. Errors under "REPORT - PRT LTR CMD".
bool printLetter(const QString &text, Prompter &prompter,
                 const PrintStreamOpener &open = defaultPrinterOpener(QStringLiteral("Letter")));
