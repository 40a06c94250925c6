#include "TestRegistry.h"

#include <QApplication>
#include <QCoreApplication>

int main(int argc, char **argv) {
    return TestRegistry::runAll<VOLMERA_TEST_APP>(argc, argv);
}
