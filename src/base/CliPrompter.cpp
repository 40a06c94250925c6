#include "base/CliPrompter.h"

#include <cstdio>

namespace {
int refusingAnswer(int style) {
    switch (Prompter::buttonsOf(style)) {
    case Style::OKCancel:
    case Style::RetryCancel:
    case Style::YesNoCancel:
        return Answer::Cancel;
    case Style::YesNo:
        return Answer::No;
    case Style::AbortRetryIgnore:
        return Answer::Abort;
    default:
        return Answer::OK;
    }
}

void say(const QString &title, const QString &text) {
    QString line = (title.isEmpty() ? Prompter::applicationTitle() : title) + QStringLiteral(": ") +
                   QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}
} // namespace

int CliPrompter::msgBox(const QString &text, int style, const QString &title) {
    say(title, text);
    return assumeYes ? firstAnswer(style) : refusingAnswer(style);
}

std::optional<QString> CliPrompter::inputBox(const QString &prompt, const QString &title,
                                             const QString &defaultText) {
    Q_UNUSED(defaultText);
    say(title, prompt + QStringLiteral(" (no answer on the command line)"));
    return std::nullopt;
}
