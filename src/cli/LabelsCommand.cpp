#include "cli/LabelsCommand.h"

#include "base/ScriptedPrompter.h"
#include "cli/CommandLine.h"
#include "cli/PaperFedPrompter.h"
#include "domain/reports/Labels.h"

using namespace CommandLine;

int runLabelsCommand(const QStringList &arguments) {
    QCommandLineParser p;
    p.addOption({"test", "Print the three test labels that line the label stock up, on the "
                         "default printer (the prompt is answered OK)."});
    int status = Success;
    if (!parse(p, QStringLiteral("labels"), arguments, status))
        return status;
    if (!p.positionalArguments().isEmpty())
        return usageError(QStringLiteral("labels: unexpected argument '%1'")
                              .arg(p.positionalArguments().first()));
    if (!p.isSet("test"))
        return usageError(QStringLiteral("labels: say what to print: --test (mailing labels "
                                         "print with 'volmera report names --format label "
                                         "--print')"));
    PaperFedPrompter paperFed;
    PrompterScope scope(&paperFed);
    return PrintTestLabels() ? Success : Failure;
}
