#pragma once

// Each test executable runs the one test class its file registers (main.cpp).
#include <QObject>
#include <QTest>
#include <memory>

namespace TestRegistry {
inline std::unique_ptr<QObject> (*make)() = nullptr;

template <class T> struct Add {
    Add() {
        make = [] { return std::unique_ptr<QObject>(new T); };
    }
};
} // namespace TestRegistry

#define REGISTER_TEST(Class) static TestRegistry::Add<Class> registered##Class
