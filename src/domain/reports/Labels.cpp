#include "domain/reports/Labels.h"

#include "base/ErrorTrap.h"
#include "base/Prompter.h"
#include "domain/reports/BuildPolicy.h"
#include "domain/reports/PrinterPort.h"

#include <memory>

namespace {
bool labelsReady(Prompter &prompter) {
    return prompter.msgBox(QStringLiteral("LABELS READY TO PRINT"), Style::OKCancel) == Answer::OK;
}
} // namespace

bool PrintLabels(const ReportLines &lines) {
    const qsizetype count = lines.size();
    if (count == 0)
        return true;
    Prompter &prompter = Prompter::current();
    if (!labelsReady(prompter))
        return true;
    BuildPolicy policy(prompter);
    std::unique_ptr<PrintStream> port;
    if (!policy.attempt([&] { port = PrinterPort::linePrinter(QStringLiteral("Mailing labels")); }))
        return false;
    // Lines are gathered in the job and cannot fail; sending it at the close can.
    qsizetype pos = 0;
    while (pos < count) {
        for (int row = 0; row < 4 && pos < count; ++row)
            port->writeLine(u' ' + lines[pos++]);
        if (pos < count) {
            port->writeLine(QString());
            ++pos; // the entry's fifth line is not printed
            port->writeLine(QString());
        }
    }
    return policy.attempt([&] { port->close(); });
}

bool PrintTestLabels() {
    Prompter &prompter = Prompter::current();
    if (!labelsReady(prompter))
        return true;
    ErrorTrap trap(QStringLiteral("REPORT - PRT LBLS"));
    std::unique_ptr<PrintStream> port;
    trap.run([&] { port = PrinterPort::defaultPrinter(QStringLiteral("Test labels")); });
    if (port) {
        trap.run([&] {
            for (int label = 0; label < 3; ++label) {
                for (int row = 0; row < 4; ++row)
                    port->writeLine(QStringLiteral("    XXXXXXXX"));
                port->writeLine(QString());
                port->writeLine(QString());
            }
            port->close();
        });
    }
    const bool ok = !trap.pending();
    trap.report(prompter);
    return ok;
}
