#include "screens/linelist.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <tuple>

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
    list.model_lines().show_rows(std::make_unique<Rows>(), 1100, 2, {"end"});
    EXPECT_EQ(list.count(), 2201);
    const QStringList all = list.texts();
    ASSERT_EQ(all.size(), 2201);
    for (int row : {0, 63, 64, 299, 1099})
        EXPECT_EQ(list.text(2 * row + 1), QString("%1b").arg(row));
    EXPECT_EQ(list.text(600), QString());
    EXPECT_EQ(all[600], QString());
    EXPECT_EQ(all[2198], "1099a");
    EXPECT_EQ(list.text(2200), "end");
    list.addItem("more");
    EXPECT_EQ(list.text(2201), "more");
    list.clear();
    EXPECT_EQ(list.count(), 0);

    // Lines made already for the top rows are shown as they are: the source is read only for
    // the rows beyond them.
    struct Counted : Rows {
        mutable int reads = 0;
        QStringList lines(int first, int count) const override {
            ++reads;
            return Rows::lines(first, count);
        }
    };
    auto counted = std::make_unique<Counted>();
    const Counted& source = *counted;
    list.model_lines().show_rows(std::move(counted), 600, 2, {"end"}, {"0A", "0B", "1A", "1B"});
    EXPECT_EQ(std::tuple(list.text(0), list.text(3), source.reads), std::tuple("0A", "1B", 0));
    EXPECT_EQ(std::tuple(list.text(4), source.reads), std::tuple("2a", 1));
}

// A report shown with its top rows made already: the view measures its lines without reading
// the source, and a line wider than the list scrolls sideways wherever it stands.
TEST(LineList, ShowingTheTopReadsNothingBeyondIt) {
    struct Wide : LineSource {
        mutable int reads = 0;
        QStringList lines(int first, int count) const override {
            ++reads;
            QStringList out;
            for (int r = first; r < first + count; ++r)
                out << QString("%1 ").arg(r).leftJustified(90, u'x') << QString::number(r);
            return out;
        }
    };
    LineList list;
    list.resize(300, 200);
    list.show();
    auto wide = std::make_unique<Wide>();
    const Wide& source = *wide;
    QStringList head = wide->lines(0, 20);
    wide->reads = 0;
    list.model_lines().show_rows(std::move(wide), 5000, 2, {}, head);
    QCoreApplication::processEvents();
    list.repaint();
    EXPECT_EQ(source.reads, 0);
    EXPECT_GT(list.horizontalScrollBar()->maximum(), 0);
    list.scrollToBottom();
    list.repaint();
    EXPECT_GT(source.reads, 0);
    EXPECT_EQ(list.text(9999), "4999");

    // A long line amid short ones, the last of them short, still scrolls into view.
    list.clear();
    list.addItems({"a", QString(90, u'x'), "b"});
    QCoreApplication::processEvents();
    EXPECT_GT(list.horizontalScrollBar()->maximum(), 0);
}

} // namespace
} // namespace pw
