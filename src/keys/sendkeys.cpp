#include "sendkeys.h"

#include "platform/clock.h"

#include <array>
#include <optional>
#include <string>

namespace pw {

namespace {

// A repeat count beyond this is taken as this many: a mistyped count must not fill memory.
constexpr double kMaxRepeat = 1000;

struct Named {
    const char* name;
    int code;
};

// The named keys of the brace syntax.
constexpr Named kNamedKeys[] = {
    {"BACKSPACE", 8}, {"BS", 8},        {"BKSP", 8},    {"TAB", 9},       {"ENTER", 13},
    {"BREAK", 19},    {"CAPSLOCK", 20}, {"ESC", 27},    {"PGUP", 33},     {"PGDN", 34},
    {"END", 35},      {"HOME", 36},     {"LEFT", 37},   {"UP", 38},       {"RIGHT", 39},
    {"DOWN", 40},     {"PRTSC", 42},    {"PRTSCR", 44}, {"INS", 45},      {"INSERT", 45},
    {"DELETE", 46},   {"DEL", 46},      {"HELP", 47},   {"NUMLOCK", 144}, {"SCROLLLOCK", 145},
};

// The code of a brace name, 0 when it has none.
int named_code(const QString& name) {
    const QString upper = name.toUpper();
    for (const Named& n : kNamedKeys)
        if (upper == QLatin1String(n.name))
            return n.code;
    for (int d = 0; d <= 9; ++d)
        if (upper == QLatin1String("NUMPAD") + QString::number(d))
            return 96 + d;
    for (int f = 1; f <= 16; ++f)
        if (upper == u'F' + QString::number(f))
            return 111 + f;
    return 0;
}

// A key of the layout with the modifiers that must be held to type a character.
struct LayoutKey {
    int code = 0;
    bool shift = false;
    bool control = false;
};

// The US keyboard layout's key for a character below 128; nullopt when no key types it.
std::optional<LayoutKey> layout_key(char32_t c) {
    if (c >= 'a' && c <= 'z')
        return LayoutKey{int(c - 'a' + 'A')};
    if (c >= 'A' && c <= 'Z')
        return LayoutKey{int(c), true};
    if ((c >= '0' && c <= '9') || c == ' ')
        return LayoutKey{int(c)};
    // Signs on the digit keys with Shift, then the punctuation keys without and with Shift.
    static constexpr char kShiftedDigits[] = ")!@#$%^&*(";
    for (int d = 0; d < 10; ++d)
        if (c == char32_t(kShiftedDigits[d]))
            return LayoutKey{'0' + d, true};
    struct Sign {
        char plain;
        char shifted;
        int code;
    };
    static constexpr Sign kSigns[] = {
        {';', ':', 186},  {'=', '+', 187}, {',', '<', 188},  {'-', '_', 189},
        {'.', '>', 190},  {'/', '?', 191}, {'`', '~', 192},  {'[', '{', 219},
        {'\\', '|', 220}, {']', '}', 221}, {'\'', '"', 222},
    };
    for (const Sign& s : kSigns) {
        if (c == char32_t(s.plain))
            return LayoutKey{s.code};
        if (c == char32_t(s.shifted))
            return LayoutKey{s.code, true};
    }
    // Control characters: Backspace, Tab, Enter, Ctrl+Enter for a line feed, Ctrl+letter.
    switch (c) {
    case 8:
    case 9:
    case 13:
        return LayoutKey{int(c)};
    case 10:
        return LayoutKey{13, false, true};
    case 27:
        return LayoutKey{219, false, true};
    case 28:
        return LayoutKey{220, false, true};
    case 29:
        return LayoutKey{221, false, true};
    default:
        break;
    }
    if (c >= 1 && c <= 26)
        return LayoutKey{int('A' + c - 1), false, true};
    return std::nullopt;
}

// One key by name: the modifiers, a named key, or a single character of the layout.
struct NamedKey {
    int code = 0;
    QList<int> modifiers; // in the order they are pressed
};

std::optional<NamedKey> key_by_name(const QString& name) {
    const QString upper = name.toUpper();
    if (upper == QLatin1String("SHIFT"))
        return NamedKey{vk::kShift, {}};
    if (upper == QLatin1String("CONTROL"))
        return NamedKey{vk::kControl, {}};
    if (upper == QLatin1String("ALT"))
        return NamedKey{vk::kAlt, {}};
    if (const int code = named_code(name))
        return NamedKey{code, {}};
    const std::u32string chars = name.toStdU32String();
    if (chars.size() != 1)
        return std::nullopt;
    const auto key = layout_key(chars.front());
    if (!key)
        return std::nullopt;
    NamedKey k{key->code, {}};
    if (key->shift)
        k.modifiers << vk::kShift;
    if (key->control)
        k.modifiers << vk::kControl;
    return k;
}

// The leading number of a repeat count: blanks, a sign, digits and one decimal point.
double leading_number(const QString& text) {
    const QString t = text.trimmed();
    qsizetype end = 0;
    if (end < t.size() && (t[end] == u'+' || t[end] == u'-'))
        ++end;
    bool point = false;
    while (end < t.size() && (t[end].isDigit() || (t[end] == u'.' && !point))) {
        point = point || t[end] == u'.';
        ++end;
    }
    bool ok = false;
    const double v = t.left(end).toDouble(&ok);
    return ok ? v : 0;
}

// Characters from code 128 on become Alt plus their code page 437 number on the keypad.
QString rewrite_high_characters(const QString& text) {
    QString out;
    for (const char32_t c : text.toStdU32String()) {
        if (c < 128) {
            out += QString::fromUcs4(&c, 1);
            continue;
        }
        out += QLatin1String("{NUMLOCK}%(");
        for (const QChar d : QString::number(oem_code(c)))
            out += QLatin1String("{NUMPAD") + d + u'}';
        out += QLatin1String("){NUMLOCK}");
    }
    return out;
}

struct Lock {
    int code;
    QChar keep_digit; // in wait's decimal text: leave the lock as the text set it
    bool entry;
    bool now;
};

class Interpreter {
public:
    QList<KeyEvent> out;
    std::array<Lock, 3> locks;

    Interpreter(bool caps, bool num, bool scroll)
        : locks{{{vk::kCapsLock, u'2', caps, caps},
                 {vk::kNumLock, u'3', num, num},
                 {vk::kScrollLock, u'4', scroll, scroll}}} {}

    void tap(int code) {
        out << KeyEvent{code, true} << KeyEvent{code, false};
        for (Lock& l : locks)
            if (l.code == code)
                l.now = !l.now;
    }

    void type(char32_t c) {
        const QString name = QString::fromUcs4(&c, 1);
        out << keydown_events(name) << keyup_events(name);
    }

    void hold(int code) {
        out << KeyEvent{code, true};
        held_.append(code);
    }

    void release_held() {
        while (!held_.isEmpty())
            out << KeyEvent{held_.takeLast(), false};
        group_ = false;
    }

    void after_key() {
        if (!group_)
            release_held();
    }

    void run(const QString& text) {
        for (Lock& l : locks)
            if (l.entry)
                tap(l.code);
        const std::u32string chars = rewrite_high_characters(text).toStdU32String();
        size_t i = 0;
        while (i < chars.size()) {
            const char32_t c = chars[i++];
            switch (c) {
            case '+':
                hold(vk::kShift);
                break;
            case '^':
                hold(vk::kControl);
                break;
            case '%':
                hold(vk::kAlt);
                break;
            case '(':
                group_ = true;
                break;
            case ')':
                release_held();
                break;
            case '{': {
                const auto braced = take_brace(chars, i);
                if (!braced || !send_braced(*braced))
                    i = chars.size(); // the rest of the text is not sent
                break;
            }
            case '~':
                tap(vk::kEnter);
                after_key();
                break;
            default:
                type(c);
                after_key();
                break;
            }
        }
        release_held();
    }

    void restore_locks(int wait) {
        const QString digits = QString::number(wait);
        for (Lock& l : locks)
            if (!digits.contains(l.keep_digit) && l.now != l.entry)
                tap(l.code);
    }

private:
    QList<int> held_;
    bool group_ = false;

    // The key specification after an opening brace: up to the last "}" before the next "{".
    // Moves i past its closing brace; nullopt when it has none.
    static std::optional<QString> take_brace(const std::u32string& chars, size_t& i) {
        size_t end = i;
        while (end < chars.size() && chars[end] != '{')
            ++end;
        size_t close = end;
        while (close > i && chars[close - 1] != '}')
            --close;
        if (close == i)
            return std::nullopt;
        const QString braced = QString::fromStdU32String(chars.substr(i, close - 1 - i));
        i = close;
        return braced;
    }

    // False when a repeat count of 0 ends the text.
    bool send_braced(const QString& braced) {
        QString key = braced;
        double count = 1;
        if (const qsizetype blank = braced.indexOf(u' '); blank >= 0) {
            key = braced.left(blank);
            count = leading_number(braced.mid(blank + 1));
            if (count == 0)
                return false;
            count = std::min(count, kMaxRepeat);
        }
        if (const int code = named_code(key)) {
            for (int n = 1; n <= count; ++n)
                tap(code);
        } else {
            const std::u32string chars = key.toStdU32String();
            for (int n = 1; n <= count; ++n)
                for (const char32_t c : chars)
                    type(c);
        }
        after_key();
        return true;
    }
};

} // namespace

int oem_code(char32_t ch) {
    if (ch < 128)
        return int(ch);
    // Code page 437 from 128 to 255.
    static constexpr char16_t kUpper[128] = {
        0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8,
        0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2,
        0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1,
        0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD,
        0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562,
        0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534,
        0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560,
        0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
        0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393,
        0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6,
        0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0,
        0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
    };
    for (int i = 0; i < 128; ++i)
        if (char32_t(kUpper[i]) == ch)
            return 128 + i;
    return '?';
}

QList<KeyEvent> sendkeys_events(const QString& text, int wait, bool caps_on, bool num_on,
                                bool scroll_on) {
    Interpreter in(caps_on, num_on, scroll_on);
    in.run(text);
    in.restore_locks(wait);
    return in.out;
}

void sendkeys(Keyboard& keyboard, Clock& clock, const QString& text, int wait) {
    const QList<KeyEvent> events =
        sendkeys_events(text, wait, keyboard.lock_on(vk::kCapsLock), keyboard.lock_on(vk::kNumLock),
                        keyboard.lock_on(vk::kScrollLock));
    if (!events.isEmpty())
        keyboard.deliver(events);
    if (wait != 0)
        clock.pause(20);
}

void send_tab(Keyboard& keyboard, Clock& clock) {
    sendkeys(keyboard, clock, QStringLiteral("{TAB}"), 0);
}

QList<KeyEvent> keydown_events(const QString& name) {
    QList<KeyEvent> out;
    if (const auto key = key_by_name(name)) {
        for (const int m : key->modifiers)
            out << KeyEvent{m, true};
        out << KeyEvent{key->code, true};
    }
    return out;
}

QList<KeyEvent> keyup_events(const QString& name) {
    QList<KeyEvent> out;
    if (const auto key = key_by_name(name)) {
        out << KeyEvent{key->code, false};
        for (auto m = key->modifiers.crbegin(); m != key->modifiers.crend(); ++m)
            out << KeyEvent{*m, false};
    }
    return out;
}

void keydown(Keyboard& keyboard, const QString& name) {
    if (const QList<KeyEvent> events = keydown_events(name); !events.isEmpty())
        keyboard.deliver(events);
}

void keyup(Keyboard& keyboard, const QString& name) {
    if (const QList<KeyEvent> events = keyup_events(name); !events.isEmpty())
        keyboard.deliver(events);
}

void togglenumlock(Keyboard& keyboard) {
    keyboard.deliver({KeyEvent{vk::kNumLock, true}, KeyEvent{vk::kNumLock, false}});
}

} // namespace pw
