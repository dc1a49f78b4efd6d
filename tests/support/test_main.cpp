// Test programs run headless with a QApplication, so windows can be driven offscreen.
#include "env.h"
#include "platform/qtkeyboard.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace pw::test {

Keyboard* test_keyboard() {
    static QtKeyboard keys;
    return &keys;
}

} // namespace pw::test

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
