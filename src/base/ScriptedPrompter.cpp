#include "base/ScriptedPrompter.h"

int ScriptedPrompter::msgBox(const QString &text, int style, const QString &title) {
    shown.append({QStringLiteral("msgBox"), text, style, title});
    return answers.isEmpty() ? firstAnswer(style) : answers.dequeue();
}

std::optional<QString> ScriptedPrompter::inputBox(const QString &prompt, const QString &title,
                                                  const QString &defaultText) {
    shown.append({QStringLiteral("inputBox"), prompt, 0, title, defaultText});
    return typed.isEmpty() ? std::nullopt : typed.dequeue();
}

std::optional<Prompter::PrinterChoice> ScriptedPrompter::choosePrinter() {
    shown.append({QStringLiteral("choosePrinter"), QString(), 0, QString()});
    return printers.isEmpty() ? std::optional<PrinterChoice>(PrinterChoice{}) : printers.dequeue();
}

PrompterScope::PrompterScope(Prompter *prompter) : previous(&Prompter::current()) {
    Prompter::install(prompter);
}

PrompterScope::~PrompterScope() {
    Prompter::install(previous);
}
