#include "base/ErrorTrap.h"

std::optional<std::pair<QString, QString>> ErrorTrap::take() {
    if (!pending())
        return std::nullopt;
    const QString shown = last.isEmpty() ? QStringLiteral("UNKNOWN ERROR") : last;
    clear();
    return std::pair(shown, tag);
}

void ErrorTrap::report(Prompter &prompter) {
    if (const auto shown = take())
        prompter.msgBox(shown->first, Style::Critical, shown->second);
}
