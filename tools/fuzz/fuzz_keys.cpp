// The keystroke strings: any text through the interpreter, under any lock-key states and
// wait digits, and any key name through key down and key up.
#include "keys/sendkeys.h"

#include <QString>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const uint8_t flags = data[0];
    const int wait = data[1];
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    (void)pw::sendkeys_events(text, wait, flags & 1, flags & 2, flags & 4);
    (void)pw::keydown_events(text);
    (void)pw::keyup_events(text);
    for (const char32_t c : text.toUcs4())
        (void)pw::oem_code(c);
    return 0;
}
