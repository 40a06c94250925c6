#include "app/ScriptedPrompter.h"

int ScriptedPrompter::msgBox(const QString &text, int style, const QString &title) {
    shown.append({QStringLiteral("msgBox"), text, style, title});
    return answers.isEmpty() ? firstAnswer(style) : answers.dequeue();
}

std::optional<QString> ScriptedPrompter::inputBox(const QString &prompt, const QString &title,
                                                  const QString &defaultText) {
    Q_UNUSED(defaultText);
    shown.append({QStringLiteral("inputBox"), prompt, 0, title});
    return typed.isEmpty() ? std::nullopt : typed.dequeue();
}

PrompterScope::PrompterScope(Prompter *prompter) : previous(&Prompter::current()) {
    Prompter::install(prompter);
}

PrompterScope::~PrompterScope() {
    Prompter::install(previous);
}
