// Test programs run headless: those of the windows with a QApplication on the offscreen
// platform and Qt's key delivery, those of the core (PW_CORE_TEST) with a bare
// QCoreApplication, no display platform and no keys.
#include "env.h"

#include <gtest/gtest.h>
#ifdef PW_CORE_TEST
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#else
#include "platform/qtkeyboard.h"

#include <QApplication>
using TestApplication = QApplication;
#endif

pw::Keyboard* pw::test::test_keyboard() {
#ifdef PW_CORE_TEST
    return nullptr;
#else
    static QtKeyboard keys;
    return &keys;
#endif
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
