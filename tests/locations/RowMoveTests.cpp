#include "locations/RowMove.h"

#include <gtest/gtest.h>

namespace pairsift {
namespace {

TEST(RowMove, movesEverySelectedRowAndFillsTheRestInOrder)
{
    const struct {
        int rowCount;
        QList<int> selected;
        int offset;
        QList<int> order;
        QList<int> selectedAfter;
    } cases[] = {
        {5, {1, 4}, -1, {1, 0, 2, 4, 3}, {0, 3}},
        {5, {4, 1}, -1, {1, 0, 2, 4, 3}, {0, 3}},
        {5, {1, 1}, -1, {1, 0, 2, 3, 4}, {0}},
        {4, {0, 1}, 1, {2, 0, 1, 3}, {1, 2}},
        {2, {0}, 1, {1, 0}, {1}},
    };
    for (const auto& testCase : cases) {
        const std::optional<RowMove> move = moveRowsByOne(testCase.rowCount, testCase.selected, testCase.offset);
        ASSERT_TRUE(move.has_value());
        EXPECT_EQ(move->order, testCase.order);
        EXPECT_EQ(move->selectedRows, testCase.selectedAfter);
    }
}

TEST(RowMove, refusesMovesOutOfTheList)
{
    const struct {
        const char* what;
        int rowCount;
        QList<int> selected;
        int offset;
    } cases[] = {
        {"first row up", 5, {0, 3}, -1},
        {"last row down", 5, {2, 4}, 1},
        {"row past the end", 5, {5}, -1},
        {"negative row", 5, {-1}, 1},
        {"nothing selected", 5, {}, 1},
        {"one row", 1, {0}, 1},
        {"empty list", 0, {0}, 1},
        {"offset of two", 5, {2}, 2},
        {"no offset", 5, {2}, 0},
    };
    for (const auto& testCase : cases)
        EXPECT_FALSE(moveRowsByOne(testCase.rowCount, testCase.selected, testCase.offset).has_value()) << testCase.what;
}

} // namespace
} // namespace pairsift

namespace pairsift {
namespace {

TEST(RowMove, movesRowsBeforeTheDropRow)
{
    const struct {
        const char* what;
        QList<int> rows;
        int dropRow;
        QList<int> order;
        QList<int> selectedAfter;
    } cases[] = {
        {"two rows to the top", {3, 4}, 0, {3, 4, 0, 1, 2, 5}, {0, 1}},
        {"rows around the drop", {4, 0}, 2, {1, 0, 4, 2, 3, 5}, {1, 2}},
        {"past the end", {1}, 9, {0, 2, 3, 4, 5, 1}, {5}},
        {"onto the next row", {2}, 3, {0, 1, 2, 3, 4, 5}, {2}},
    };
    for (const auto& testCase : cases) {
        const std::optional<RowMove> move = moveRowsBefore(6, testCase.rows, testCase.dropRow);
        ASSERT_TRUE(move.has_value()) << testCase.what;
        EXPECT_EQ(move->order, testCase.order) << testCase.what;
        EXPECT_EQ(move->selectedRows, testCase.selectedAfter) << testCase.what;
    }
    EXPECT_FALSE(moveRowsBefore(6, {0, 4}, 4)) << "a drop on a dragged row";
    EXPECT_FALSE(moveRowsBefore(6, {7}, 0)) << "no row inside the list";
}

} // namespace
} // namespace pairsift
