#include "domain/reports/PrinterPort.h"

#include "base/Cp1252.h"
#include "base/ErrorTrap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

#include <cups/cups.h>

void PrintStream::appendLine(QByteArray &bytes, QStringView line) {
    Cp1252::appendEncoded(bytes, line);
    bytes.append("\r\n", 2);
}

void PrintStream::writeLine(const QString &line) {
    lineBytes.resize(0);
    appendLine(lineBytes, line);
    write(lineBytes);
}

namespace {
QString captureFolder;
int capturedJobs = 0;

QString cupsProblem() {
    return QString::fromUtf8(cupsLastErrorString());
}

class DocumentFile : public PrintStream {
public:
    explicit DocumentFile(const QString &path) : file(path) {
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
            throw VolmeraError(QStringLiteral("The document file %1 cannot be opened: %2")
                                   .arg(QFileInfo(path).absoluteFilePath(), file.errorString()));
    }
    void write(const QByteArray &bytes) override {
        if (!file.isOpen())
            throw VolmeraError(QStringLiteral("The document file %1 is closed.")
                                   .arg(QFileInfo(file).absoluteFilePath()));
        if (file.write(bytes) != bytes.size())
            throw VolmeraError(QStringLiteral("The document file %1 cannot be written: %2")
                                   .arg(QFileInfo(file).absoluteFilePath(), file.errorString()));
    }
    void close() override {
        if (!file.isOpen())
            return;
        const bool flushed = file.flush();
        file.close();
        if (!flushed)
            throw VolmeraError(QStringLiteral("The document file %1 cannot be written: %2")
                                   .arg(QFileInfo(file).absoluteFilePath(), file.errorString()));
    }

private:
    QFile file;
};

// One print job: the text is gathered and sent when the stream is closed, so that a page
// reaches the printer whole or not at all. A stream destroyed without close() sends nothing.
class PrintJob : public PrintStream {
public:
    // queue empty: the job is captured (tests).
    PrintJob(QString queue, QString port, QString title, int copies = 1)
        : queue(std::move(queue)), port(std::move(port)), title(std::move(title)),
          copies(qMax(1, copies)) {}

    void write(const QByteArray &bytes) override {
        if (closed)
            throw VolmeraError(QStringLiteral("The print job \"%1\" is already sent.").arg(title));
        data += bytes;
    }
    void close() override {
        if (closed)
            return;
        // A job that failed to go stays open, so that closing again tries again.
        if (queue.isEmpty())
            capture();
        else
            send();
        closed = true;
    }

private:
    void capture() {
        const QString path =
            QDir(captureFolder)
                .filePath(
                    QStringLiteral("%1-%2%3.prn")
                        .arg(++capturedJobs, 4, 10, QLatin1Char('0'))
                        .arg(port, copies > 1 ? QStringLiteral("-%1").arg(copies) : QString()));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
            throw VolmeraError(QStringLiteral("The print job cannot be kept in %1: %2")
                                   .arg(path, file.errorString()));
    }

    void send() {
        if (data.isEmpty())
            return; // nothing to print: no empty job
        const QByteArray name = queue.toUtf8();
        const QByteArray jobTitle = title.toUtf8();
        cups_option_t *options = nullptr;
        int count = 0;
        if (copies > 1)
            count =
                cupsAddOption("copies", QByteArray::number(copies).constData(), count, &options);
        const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, name.constData(), jobTitle.constData(),
                                      count, options);
        cupsFreeOptions(count, options);
        if (job == 0)
            throw VolmeraError(QStringLiteral("The printer %1 did not take the print job: %2")
                                   .arg(queue, cupsProblem()));
        bool sent =
            cupsStartDocument(CUPS_HTTP_DEFAULT, name.constData(), job, jobTitle.constData(),
                              CUPS_FORMAT_TEXT, 1) == HTTP_STATUS_CONTINUE;
        sent = sent && cupsWriteRequestData(CUPS_HTTP_DEFAULT, data.constData(),
                                            size_t(data.size())) == HTTP_STATUS_CONTINUE;
        const ipp_status_t finished = cupsFinishDocument(CUPS_HTTP_DEFAULT, name.constData());
        if (!sent || finished > IPP_STATUS_OK_EVENTS_COMPLETE) {
            const QString problem = cupsProblem();
            cupsCancelJob2(CUPS_HTTP_DEFAULT, name.constData(), job, 0);
            throw VolmeraError(QStringLiteral("The print job could not be sent to the printer "
                                              "%1: %2")
                                   .arg(queue, problem));
        }
    }

    QString queue, port, title;
    int copies;
    QByteArray data;
    bool closed = false;
};

// The name of a CUPS destination, or nothing when there is no such destination (name empty:
// the default destination).
std::optional<QString> destination(const QString &name) {
    const QByteArray utf8 = name.toUtf8();
    cups_dest_t *dest =
        cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.isEmpty() ? nullptr : utf8.constData(), nullptr);
    if (dest == nullptr)
        return std::nullopt;
    const QString found = QString::fromUtf8(dest->name);
    cupsFreeDests(1, dest);
    return found;
}

// True when the print service answers: a missing scheduler and a missing default printer give
// the same "no default destination" from the look-up.
bool serviceAnswers() {
    http_t *http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                5000, nullptr);
    if (http == nullptr)
        return false;
    httpClose(http);
    return true;
}

QString defaultDestination() {
    if (const auto name = destination(QString()))
        return *name;
    if (!serviceAnswers())
        throw VolmeraError(QStringLiteral("The printer cannot be reached: the print service "
                                          "(CUPS) at %1 does not answer.")
                               .arg(QString::fromUtf8(cupsServer())));
    throw VolmeraError(QStringLiteral("There is no default printer: set one up in the print "
                                      "service (CUPS), for example with lpadmin -d NAME."));
}

std::unique_ptr<PrintStream> captured(const QString &port, const QString &title, int copies = 1) {
    if (!QFileInfo(captureFolder).isDir())
        throw VolmeraError(QStringLiteral("The printer cannot be reached: the folder %1 that "
                                          "keeps its jobs is missing.")
                               .arg(captureFolder));
    return std::make_unique<PrintJob>(QString(), port, title, copies);
}
} // namespace

std::unique_ptr<PrintStream> PrinterPort::documentFile(const QString &path) {
    return std::make_unique<DocumentFile>(path);
}

std::unique_ptr<PrintStream> PrinterPort::defaultPrinter(const QString &jobTitle) {
    if (!captureFolder.isEmpty())
        return captured(QStringLiteral("default"), jobTitle);
    return std::make_unique<PrintJob>(defaultDestination(), QStringLiteral("default"), jobTitle);
}

std::unique_ptr<PrintStream> PrinterPort::printer(const QString &destinationName, int copies,
                                                  const QString &jobTitle) {
    if (destinationName.isEmpty() && copies <= 1)
        return defaultPrinter(jobTitle);
    if (!captureFolder.isEmpty())
        return captured(destinationName.isEmpty() ? QStringLiteral("default") : destinationName,
                        jobTitle, copies);
    if (destinationName.isEmpty())
        return std::make_unique<PrintJob>(defaultDestination(), QStringLiteral("default"), jobTitle,
                                          copies);
    const auto queue = destination(destinationName);
    if (!queue)
        throw VolmeraError(QStringLiteral("The printer %1 cannot be reached: it is not set up in "
                                          "the print service (CUPS).")
                               .arg(destinationName));
    return std::make_unique<PrintJob>(*queue, destinationName, jobTitle, copies);
}

std::unique_ptr<PrintStream> PrinterPort::linePrinter(const QString &jobTitle) {
    if (!captureFolder.isEmpty())
        return captured(QStringLiteral("LPT1"), jobTitle);
    const QString chosen = qEnvironmentVariable("VOLMERA_LPT1").trimmed();
    if (!chosen.isEmpty()) {
        const auto queue = destination(chosen);
        if (!queue)
            throw VolmeraError(QStringLiteral("The line printer cannot be reached: the printer "
                                              "%1 named by VOLMERA_LPT1 is not set up (%2).")
                                   .arg(chosen, cupsProblem()));
        return std::make_unique<PrintJob>(*queue, QStringLiteral("LPT1"), jobTitle);
    }
    const auto queue = destination(QStringLiteral("LPT1"));
    return std::make_unique<PrintJob>(queue ? *queue : defaultDestination(), QStringLiteral("LPT1"),
                                      jobTitle);
}

void PrinterPort::captureJobsIn(const QString &folder) {
    captureFolder = folder;
    capturedJobs = 0;
}
