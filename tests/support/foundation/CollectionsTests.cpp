#include "support/foundation/Collections.h"

#include <QList>
#include <QSet>
#include <QString>

#include <gtest/gtest.h>

#include <set>
#include <unordered_set>
#include <vector>

namespace pairsift {
namespace {

TEST(Collections, emptyReceiversGiveEmptyResultsWithoutCallingTheBlock)
{
    int calls = 0;
    auto counted = [&calls](int) {
        ++calls;
        return true;
    };
    auto countedLess = [&calls](int, int) {
        ++calls;
        return true;
    };
    const std::vector<int> array;
    const QSet<int> set;

    EXPECT_TRUE(cx_map(array, [&calls](int value) { return ++calls + value; }).empty());
    EXPECT_TRUE(cx_map(set, [&calls](int value) { return ++calls + value; }).isEmpty());
    EXPECT_TRUE(cx_select(array, counted).empty());
    EXPECT_TRUE(cx_select(set, counted).isEmpty());
    EXPECT_FALSE(cx_match(array, counted).has_value());
    EXPECT_FALSE(cx_match(set, counted).has_value());
    EXPECT_EQ(cx_reduce(array, 42, [&calls](int running, int value) { return ++calls + running + value; }), 42);
    EXPECT_TRUE(cx_sorted(array, countedLess).empty());
    EXPECT_TRUE(cx_sorted(set, countedLess).isEmpty());
    EXPECT_EQ(calls, 0);
}

TEST(Collections, mapKeepsTheArrayOrderAndTheContainerKind)
{
    const QList<QString> paths{"/b", "/a", "/c/d"};
    const QList<qsizetype> lengths = cx_map(paths, [](const QString& path) { return path.size(); });
    EXPECT_EQ(lengths, (QList<qsizetype>{2, 2, 4}));

    const std::vector<int> numbers{3, 1, 2};
    const std::vector<QString> texts = cx_map(numbers, [](int number) { return QString::number(number * 10); });
    EXPECT_EQ(texts, (std::vector<QString>{"30", "10", "20"}));
}

TEST(Collections, mapOnASetFoldsEqualResults)
{
    const QSet<int> qtSet{1, 2, 3, 4, 5};
    EXPECT_EQ(cx_map(qtSet, [](int value) { return value % 2; }), (QSet<int>{0, 1}));

    const std::set<QString> names{"a.txt", "b.txt", "c.jpg"};
    const std::set<QString> extensions = cx_map(names, [](const QString& name) { return name.section('.', -1); });
    EXPECT_EQ(extensions, (std::set<QString>{"jpg", "txt"}));

    const std::unordered_set<int> hashed{10, 11, 20};
    EXPECT_EQ(cx_map(hashed, [](int value) { return value / 10; }), (std::unordered_set<int>{1, 2}));
}

TEST(Collections, selectKeepsThePassingElementsInOrder)
{
    const QList<int> array{5, 2, 8, 1, 9, 4};
    const auto isLarge = [](int value) { return value > 4; };
    EXPECT_EQ(cx_select(array, isLarge), (QList<int>{5, 8, 9}));
    EXPECT_TRUE(cx_select(array, [](int) { return false; }).isEmpty());
    EXPECT_EQ(cx_select(std::set<int>{5, 2, 8, 1}, isLarge), (std::set<int>{5, 8}));
    EXPECT_EQ(cx_select(QSet<int>{5, 2, 8, 1}, isLarge), (QSet<int>{5, 8}));
    EXPECT_EQ(array, (QList<int>{5, 2, 8, 1, 9, 4}));
}

TEST(Collections, matchAnswersTheFirstPassingElement)
{
    struct Location {
        QString path;
        int order;
    };
    const std::vector<Location> locations{{"/x", 0}, {"/photos", 1}, {"/y", 2}, {"/photos", 3}};
    int calls = 0;
    const auto found = cx_match(locations, [&calls](const Location& location) {
        ++calls;
        return location.path == QStringLiteral("/photos");
    });
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->order, 1);
    EXPECT_EQ(calls, 2);

    EXPECT_FALSE(cx_match(locations, [](const Location& location) { return location.path.isEmpty(); }).has_value());

    // A set's first match follows its enumeration order.
    const std::set<int> ordered{7, 3, 9, 4};
    EXPECT_EQ(cx_match(ordered, [](int value) { return value > 3; }), 4);
}

template <typename Collection>
concept Reducible = requires(const Collection& collection) {
    cx_reduce(collection, 0, [](int running, int value) { return running + value; });
};
static_assert(Reducible<std::vector<int>> && Reducible<QList<int>>);
static_assert(!Reducible<std::set<int>> && !Reducible<QSet<int>>, "sets offer no reduce");

TEST(Collections, reduceFoldsInOrderFromTheInitialValue)
{
    const QList<QString> parts{"usr", "local", "bin"};
    const QString joined = cx_reduce(parts, QString(), [](QString running, const QString& part) {
        return running + QLatin1Char('/') + part;
    });
    EXPECT_EQ(joined, QStringLiteral("/usr/local/bin"));

    const std::vector<int> numbers{1, 2, 3, 4};
    EXPECT_EQ(cx_reduce(numbers, 100, [](int running, int value) { return running - value; }), 90);
    EXPECT_EQ(cx_reduce(numbers, 0LL, [](long long running, int value) { return running * 10 + value; }), 1234LL);
}

TEST(Collections, sortedOrdersByTheBlockAndKeepsEqualElementsInOrder)
{
    struct Item {
        int key;
        char tag;
        bool operator==(const Item&) const = default;
    };
    const auto byKey = [](const Item& first, const Item& second) { return first.key < second.key; };
    const std::vector<Item> items{{2, 'a'}, {1, 'b'}, {2, 'c'}, {1, 'd'}, {0, 'e'}, {2, 'f'}};
    const std::vector<Item> expected{{0, 'e'}, {1, 'b'}, {1, 'd'}, {2, 'a'}, {2, 'c'}, {2, 'f'}};
    EXPECT_EQ(cx_sorted(items, byKey), expected);
    EXPECT_EQ(items.front(), (Item{2, 'a'}));

    // Long enough that an unstable sort would reorder equal keys.
    std::vector<int> many;
    for (int index = 0; index < 200; ++index)
        many.push_back(index);
    const std::vector<int> byRemainder = cx_sorted(many, [](int first, int second) { return first % 3 < second % 3; });
    for (std::size_t index = 1; index < byRemainder.size(); ++index) {
        const int previous = byRemainder[index - 1];
        const int current = byRemainder[index];
        ASSERT_TRUE(previous % 3 < current % 3 || (previous % 3 == current % 3 && previous < current))
            << previous << " before " << current;
    }

    // A block that says YES for neither order leaves the array as it was.
    const QList<QString> words{"pear", "apple", "fig"};
    EXPECT_EQ(cx_sorted(words, [](const QString&, const QString&) { return false; }), words);
    EXPECT_EQ(cx_sorted(words, [](const QString& first, const QString& second) { return first.size() > second.size(); }),
        (QList<QString>{"apple", "pear", "fig"}));
}

TEST(Collections, sortedSetsGiveArrays)
{
    const QSet<int> qtSet{4, 1, 3};
    const QList<int> fromQtSet = cx_sorted(qtSet, [](int first, int second) { return first > second; });
    EXPECT_EQ(fromQtSet, (QList<int>{4, 3, 1}));

    const std::unordered_set<int> hashed{8, 2, 5};
    const std::vector<int> fromHashed = cx_sorted(hashed, [](int first, int second) { return first < second; });
    EXPECT_EQ(fromHashed, (std::vector<int>{2, 5, 8}));
}

} // namespace
} // namespace pairsift
