#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

// Where printed text goes. A stream is one print job on a printer (or one stretch of appending
// to a document file): it is opened, written and closed; a printer sends the job when the
// stream is closed. Text is written as code page 1252 bytes, form feeds and control characters
// as they are. Every failure throws VolmeraError with a plain description; nothing is reported
// as printed that was not sent.
class PrintStream {
public:
    virtual ~PrintStream() = default;
    virtual void write(const QByteArray &bytes) = 0;
    // A line of text and its line end (CRLF).
    void writeLine(const QString &line);
    // The bytes writeLine writes for a line, added to the end of bytes.
    static void appendLine(QByteArray &bytes, QStringView line);
    virtual void close() = 0;

private:
    QByteArray lineBytes; // kept between lines: a printout writes many
};

namespace PrinterPort {
// A document file in the data folder, opened for appending.
std::unique_ptr<PrintStream> documentFile(const QString &path);
// The default printer ("the port of the default printer"): the CUPS default destination,
// sent a plain-text job.
std::unique_ptr<PrintStream> defaultPrinter(const QString &jobTitle);
// A printer the user chose: a CUPS destination by name (empty: the default one), sent a
// plain-text job of that many copies.
std::unique_ptr<PrintStream> printer(const QString &destination, int copies,
                                     const QString &jobTitle);
// The line printer "LPT1:" (mailing labels): the CUPS queue named by the environment variable
// VOLMERA_LPT1 when it is set, else the queue named "LPT1" when there is one, else the default
// destination.
std::unique_ptr<PrintStream> linePrinter(const QString &jobTitle);

// For tests: every printer job becomes a file in folder, numbered in the order the jobs are
// closed and named by its port or its destination and, beyond one, its copies
// ("0001-default.prn", "0002-LPT1.prn", "0003-OFFICE-2.prn"), instead of reaching CUPS. An
// empty folder sends the jobs to CUPS again and starts the numbering anew.
void captureJobsIn(const QString &folder);
} // namespace PrinterPort
