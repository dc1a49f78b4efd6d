#include "drive.h"
#include "platform/qtprinters.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pw {
namespace {

// What the punch tests' recording printer takes, a real Qt printer prints line for line.
TEST(QtPrinters, PrintTheLinesIntoAPdf) {
    QTemporaryDir tmp;
    QtPrinters printers(tmp.path() + "/r.pdf");
    ASSERT_EQ(printers.names(), QStringList{"PDF"});
    ASSERT_TRUE(printers.print_lines("PDF", "Printer 16cpi",
                                     {"Punchwell Punch-OUT Receipt", "Time OUT:     16:00:00"}));
    const QString printed = test::pdf_text(tmp.path() + "/r.pdf", {"-layout"}).simplified();
    EXPECT_EQ(printed, "Punchwell Punch-OUT Receipt Time OUT: 16:00:00");
}

} // namespace
} // namespace pw
