#pragma once

#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/ScriptedPrompter.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

// One case's surroundings: an empty working folder, fresh settings and a scripted prompter,
// all put back when the case ends.
struct FormFixture {
    QString previous = QDir::currentPath();
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    PrompterScope scope{&prompter};

    FormFixture() {
        QDir::setCurrent(dir.path());
        appSettings() = AppSettings{};
    }
    ~FormFixture() {
        QDir::setCurrent(previous);
        Clock::setToday(QDate());
        appSettings() = AppSettings{};
    }

    // The boxes shown so far as style|title|text ("input" for an input box); then forgotten.
    QStringList shown() {
        QStringList out;
        for (const ScriptedPrompter::Shown &b : prompter.shown)
            out << (b.kind == "inputBox" ? QString("input") : QString::number(b.style)) + '|' +
                       b.title + '|' + b.text;
        prompter.shown.clear();
        return out;
    }
};
