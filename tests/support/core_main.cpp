// Test programs of the core run with a bare QCoreApplication: no display platform, no widgets.
#include "env.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace pw::test {

Keyboard* test_keyboard() {
    return nullptr;
}

} // namespace pw::test

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
