#include "domain/reports/PaperPrint.h"

#include "base/Cp1252.h"
#include "base/ErrorTrap.h"
#include "domain/reports/PrinterPort.h"
#include "domain/reports/ReportSelection.h"

PrintStreamOpener defaultPrinterOpener(const QString &jobTitle) {
    return [jobTitle] { return PrinterPort::defaultPrinter(jobTitle); };
}

bool printOnPaper(const QString &question, const QByteArray &bytes, const QString &tag,
                  Prompter &prompter, const PrintStreamOpener &open) {
    if (prompter.msgBox(question, Style::OKCancel) != Answer::OK)
        return false;
    ErrorTrap trap(tag);
    // A stream left without close() sends nothing, so a failed write prints no half sheet.
    const bool sent = trap.run([&] {
        std::unique_ptr<PrintStream> stream = open();
        stream->write(bytes);
        stream->close();
    });
    trap.report(prompter);
    return sent;
}

bool printLetter(const QString &text, Prompter &prompter, const PrintStreamOpener &open) {
    if (ReportSelection::rtrim(text).isEmpty())
        return false;
    // The letter box ends its lines with LF alone; the printer wants CRLF.
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return printOnPaper(QStringLiteral("INSERT BLACK SHEET OF PAPER IN PRINTER"),
                        Cp1252::encode(crlf + QStringLiteral("\r\n")),
                        QStringLiteral("REPORT - PRT LTR CMD"), prompter, open);
}
