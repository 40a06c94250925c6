#include "domain/reports/BuildPolicy.h"

bool BuildPolicy::retry(const std::exception &e) {
    if (++failures < 3)
        return true;
    const int answer = prompter.msgBox(QString::fromUtf8(e.what()), Style::RetryCancel);
    if (answer != Answer::Retry)
        return false;
    failures = 0;
    return true;
}
