#include "screens/linelist.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

namespace pw {
namespace {

// The report list's model through growth in batches, a clear and growth again, watched by
// Qt's model checker (any broken promise to a view aborts the test).
TEST(LineList, ModelKeepsItsPromisesToViews) {
    LineList list;
    QAbstractItemModelTester tester(list.model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    list.addItems({"a", "b"});
    list.addItems({});
    list.addItem("c");
    EXPECT_EQ(list.texts(), QStringList({"a", "b", "c"}));
    EXPECT_EQ(list.model()->data(list.model()->index(2, 0)).toString(), "c");
    EXPECT_EQ(list.text(3), QString());
    list.clear();
    EXPECT_EQ(list.count(), 0);
    list.addItems({"d"});
    EXPECT_EQ(list.text(0), "d");

    // Lines made on demand from rows, block by block, then the tail; a row the source cannot
    // give stays blank.
    struct Rows : LineSource {
        QStringList lines(int first, int count) const override {
            QStringList out;
            for (int r = first; r < first + count && r != 300; ++r)
                out << QString("%1a").arg(r) << QString("%1b").arg(r);
            return out;
        }
    };
    list.model_lines().show_rows(std::make_unique<Rows>(), 600, 2, {"end"});
    EXPECT_EQ(list.count(), 1201);
    const QStringList all = list.texts();
    ASSERT_EQ(all.size(), 1201);
    for (int row : {0, 255, 256, 299, 599})
        EXPECT_EQ(list.text(2 * row + 1), QString("%1b").arg(row));
    EXPECT_EQ(list.text(600), QString());
    EXPECT_EQ(all[600], QString());
    EXPECT_EQ(all[1198], "599a");
    EXPECT_EQ(list.text(1200), "end");
    list.addItem("more");
    EXPECT_EQ(list.text(1201), "more");
    list.clear();
    EXPECT_EQ(list.count(), 0);
}

} // namespace
} // namespace pw
