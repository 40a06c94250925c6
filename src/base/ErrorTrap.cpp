#include "base/ErrorTrap.h"

void ErrorTrap::report(Prompter &prompter) {
    if (!pending())
        return;
    const QString shown = last.isEmpty() ? QStringLiteral("UNKNOWN ERROR") : last;
    clear();
    prompter.msgBox(shown, Style::Critical, tag);
}
