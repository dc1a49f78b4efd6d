// The date and time completion of the range prompts and the punch editor's time boxes.
// A completed time always has the shape the callers rely on.
#include "editor/editordata.h"
#include "reports/prompts.h"
#include "station/fields.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const int year = (data[0] << 8 | data[1]) % 10000;
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));

    const QString date = pw::complete_date(text, year);
    if (text.size() == 4 && date.size() != 8)
        std::abort();
    if (const auto time = pw::complete_time(text))
        if (time->size() != 8 || (*time)[2] != u':' || (*time)[5] != u':')
            std::abort();
    const QString punch_time = pw::complete_punch_time(text);
    (void)pw::time_format_ok(punch_time);
    (void)pw::to_long(pw::val(text));
    return 0;
}
