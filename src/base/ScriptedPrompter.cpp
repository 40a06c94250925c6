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

std::optional<Prompter::ExportChoice> ScriptedPrompter::chooseExportFile(const QString &suggested,
                                                                         bool onlyPdf) {
    shown.append({QStringLiteral("chooseExportFile"), suggested, onlyPdf ? 1 : 0, QString()});
    return exports.isEmpty() ? std::nullopt : exports.dequeue();
}

PrompterScope::PrompterScope(Prompter *prompter) : previous(&Prompter::current()) {
    Prompter::install(prompter);
}

PrompterScope::~PrompterScope() {
    Prompter::install(previous);
}
