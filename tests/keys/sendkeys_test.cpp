#include "keys/sendkeys.h"
#include "platform/doubles.h"
#include "platform/qtkeyboard.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

namespace pw {
namespace {

// Events written as "+9 -9": press and release of code 9.
std::string script(const QList<KeyEvent>& events) {
    QStringList out;
    for (const KeyEvent& e : events)
        out << (e.press ? u'+' : u'-') + QString::number(e.vk);
    return out.join(u' ').toStdString();
}

struct Case {
    const char* text;
    const char* events;
    bool caps = false;
    bool num = false;
    int wait = 0;
};

TEST(SendKeys, TextAndKeyNamesBecomeKeyEvents) {
    const Case cases[] = {
        // Named keys, repeat counts, and a count of 0 ending the text.
        {"{tab 3}", "+9 -9 +9 -9 +9 -9"},
        {"a{TAB 0}{TAB}", "+65 -65"},
        {"{F12}{NUMPAD7}{BKSP}", "+123 -123 +103 -103 +8 -8"},
        // Modifiers: one key, a group, a named key.
        {"+ab", "+16 +65 -65 -16 +66 -66"},
        {"+(ab)", "+16 +65 -65 +66 -66 -16"},
        {"^{END}%{F4}", "+17 +35 -35 -17 +18 +115 -115 -18"},
        {"+(a", "+16 +65 -65 -16"},
        // Braces: "}" named by two closing braces; an open brace ends the text.
        {"{}}", "+16 +221 -221 -16"},
        {"a{b", "+65 -65"},
        {"{FOO}", "+16 +70 -70 -16 +16 +79 -79 -16 +16 +79 -79 -16"},
        {"{ab 2}", "+65 -65 +66 -66 +65 -65 +66 -66"},
        // Enter two ways; capitals and shifted signs by the layout.
        {"~{ENTER}", "+13 -13 +13 -13"},
        {"A:", "+16 +65 -65 -16 +16 +186 -186 -16"},
        // Caps Lock on is switched off for the text and on again after it: see the delivery.
        // Caps Lock sent by the text is undone at the end, unless wait has the digit 2.
        {"a{CAPSLOCK}b", "+65 -65 +20 -20 +66 -66 +20 -20"},
        {"a{CAPSLOCK}b", "+65 -65 +20 -20 +66 -66", false, false, 2},
        {"abc", "+20 -20 +65 -65 +66 -66 +67 -67", true, false, 12},
        // e acute is 130 in code page 437: Alt and 1, 3, 0 on the keypad, Num Lock around.
        {"\u00e9", "+144 -144 +18 +97 -97 +99 -99 +96 -96 -18 +144 -144"},
        {"\u00e9", "+144 -144 +144 -144 +18 +97 -97 +99 -99 +96 -96 -18 +144 -144 +144 -144", false,
         true},
        // A character code page 437 lacks is typed as "?" (63).
        {"\u20ac", "+144 -144 +18 +102 -102 +99 -99 -18 +144 -144"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(script(sendkeys_events(QString::fromUtf8(c.text), c.wait, c.caps, c.num, false)),
                  c.events)
            << c.text << " caps " << c.caps << " num " << c.num << " wait " << c.wait;
    const struct {
        const char* name;
        const char* down;
        const char* up;
    } names[] = {
        {"SHIFT", "+16", "-16"},       {"control", "+17", "-17"}, {"ALT", "+18", "-18"},
        {"Tab", "+9", "-9"},           {"a", "+65", "-65"},       {"A", "+16 +65", "-65 -16"},
        {"?", "+16 +191", "-191 -16"}, {"FOO", "", ""},
    };
    for (const auto& c : names) {
        EXPECT_EQ(script(keydown_events(c.name)), c.down) << c.name;
        EXPECT_EQ(script(keyup_events(c.name)), c.up) << c.name;
    }
}

TEST(SendKeys, DeliversOneBatchAndRestoresTheLocks) {
    test::RecordingKeyboard kb;
    test::TestClock clock;
    kb.caps = true;
    sendkeys(kb, clock, "abc");
    EXPECT_EQ(script(kb.events), "+20 -20 +65 -65 +66 -66 +67 -67 +20 -20");
    EXPECT_TRUE(kb.batches == 1 && kb.caps && clock.paused_ms == 0);

    kb.caps = false;
    sendkeys(kb, clock, "{CAPSLOCK}x", 2); // leaves Caps Lock as the text set it
    EXPECT_TRUE(kb.caps && clock.paused_ms == 20);

    test::RecordingKeyboard other;
    sendkeys(other, clock, "{TAB 0}");
    EXPECT_EQ(other.batches, 0);
    send_tab(other, clock);
    togglenumlock(other);
    keydown(other, "+");
    keyup(other, "+");
    EXPECT_EQ(script(other.events), "+9 -9 +144 -144 +16 +187 -187 -16");
    EXPECT_EQ(other.batches, 4);
}

// The Qt delivery types into the focus box, and a Tab moves the focus on.
TEST(SendKeys, QtKeyboardTypesAndMovesTheFocus) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* first = new QLineEdit;
    auto* second = new QLineEdit;
    layout->addWidget(first);
    layout->addWidget(second);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    first->setFocus();
    ASSERT_TRUE(first->hasFocus());

    QtKeyboard kb;
    test::TestClock clock;
    sendkeys(kb, clock, "+ab; 1{TAB}x+{END}");
    EXPECT_EQ(first->text() + "|" + second->text(), "Ab; 1|x");
    EXPECT_TRUE(second->hasFocus());
    send_tab(kb, clock);
    EXPECT_TRUE(first->hasFocus());
}

} // namespace
} // namespace pw
