#include "TestRegistry.h"

#include <QApplication>

// Runs the registered class under the application object its folder needs; non-zero on failure.
int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    VOLMERA_TEST_APP app(argc, argv);
    return QTest::qExec(TestRegistry::make().get(), argc, argv) != 0 ? 1 : 0;
}
