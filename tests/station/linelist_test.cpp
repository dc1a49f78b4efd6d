#include "station/linelist.h"

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
}

} // namespace
} // namespace pw
