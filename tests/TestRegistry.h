#pragma once

// One test executable per folder: every test class of the folder registers itself here and the
// folder's main runs them all.
#include <QByteArray>
#include <QObject>
#include <QTest>
#include <functional>
#include <vector>

namespace TestRegistry {
using Factory = std::function<QObject *()>;

inline std::vector<Factory> &factories() {
    static std::vector<Factory> all;
    return all;
}

template <class T> struct Add {
    Add() {
        factories().push_back([] { return new T; });
    }
};

// Runs every registered class under an application of type App; non-zero when any failed.
template <class App> int runAll(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    int failed = 0;
    for (const Factory &make : factories()) {
        QObject *test = make();
        failed += QTest::qExec(test, argc, argv) != 0 ? 1 : 0;
        delete test;
    }
    return failed;
}
} // namespace TestRegistry

#define REGISTER_TEST(Class) static TestRegistry::Add<Class> registered##Class
