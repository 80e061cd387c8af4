#include "model/FileGroup.h"
#include "model/FileItem.h"
#include "model/PairsiftCompare.h"
#include "photolibs/ContainerType.h"
#include "settings/LocationItem.h"
#include "support/foundation/CopyNumber.h"
#include "testkit/TemporaryTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace pairsift {
namespace {

struct DatedPath {
    const char* path;
    qint64 createdSeconds;
};

FileItemPtr makeFile(const DatedPath& dated)
{
    FileItemPtr file = FileItem::create(QString::fromUtf8(dated.path));
    file->setDateCreated(QDateTime::fromSecsSinceEpoch(dated.createdSeconds, Qt::UTC));
    return file;
}

QStringList namesOf(const QList<FileItemPtr>& files)
{
    QStringList names;
    for (const FileItemPtr& file : files)
        names.append(file->name());
    return names;
}

QStringList toList(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

struct KeepCase {
    const char* title;
    std::vector<const char*> locations;
    std::vector<DatedPath> files; // in the order they are added
    qint64 prefer;
    std::vector<const char*> expected;
};

class KeepRule : public testing::TestWithParam<KeepCase> {};

TEST_P(KeepRule, ordersTheGroupSoThatTheFileToKeepComesFirst)
{
    const KeepCase& entry = GetParam();
    FileGroup group;
    for (const DatedPath& dated : entry.files)
        group.addFile(makeFile(dated));
    QStringList locations;
    for (const char* location : entry.locations)
        locations.append(QString::fromUtf8(location));

    group.sortWithLocations(locations, entry.prefer);

    QStringList expected;
    for (const char* path : entry.expected)
        expected.append(QString::fromUtf8(path));
    EXPECT_EQ(namesOf(group.files()), expected) << entry.title;
}

INSTANTIATE_TEST_SUITE_P(Cases, KeepRule, testing::Values(
    KeepCase{"older kept when preferring older", {"/x"}, {{"/x/new.jpg", 200}, {"/x/old.jpg", 100}}, 0,
             {"/x/old.jpg", "/x/new.jpg"}},
    KeepCase{"newer kept when preferring newer", {"/x"}, {{"/x/old.jpg", 100}, {"/x/new.jpg", 200}}, 1,
             {"/x/new.jpg", "/x/old.jpg"}},
    KeepCase{"any non-zero prefer value means newer", {"/x"}, {{"/x/old.jpg", 100}, {"/x/new.jpg", 200}}, -3,
             {"/x/new.jpg", "/x/old.jpg"}},
    KeepCase{"first listed location wins over dates", {"/b", "/a"}, {{"/a/f.jpg", 100}, {"/b/f.jpg", 900}}, 0,
             {"/b/f.jpg", "/a/f.jpg"}},
    KeepCase{"first listed location wins for newer too", {"/b", "/a"}, {{"/b/f.jpg", 100}, {"/a/f.jpg", 900}}, 1,
             {"/b/f.jpg", "/a/f.jpg"}},
    KeepCase{"outside every location comes last", {"/a"}, {{"/z/f.jpg", 1}, {"/a/f.jpg", 900}}, 0,
             {"/a/f.jpg", "/z/f.jpg"}},
    KeepCase{"plain prefix: /a/b claims /a/bc", {"/a/b", "/a"}, {{"/a/x.jpg", 1}, {"/a/bc/x.jpg", 900}}, 0,
             {"/a/bc/x.jpg", "/a/x.jpg"}},
    KeepCase{"nested locations: first listed wins", {"/a", "/a/b"}, {{"/a/b/x.jpg", 1}, {"/a/y.jpg", 900}}, 0,
             {"/a/b/x.jpg", "/a/y.jpg"}},
    KeepCase{"equal dates: lower copy number when preferring older", {"/x"},
             {{"/x/a copy.jpg", 100}, {"/x/a.jpg", 100}}, 0, {"/x/a.jpg", "/x/a copy.jpg"}},
    KeepCase{"equal dates: higher copy number when preferring newer", {"/x"},
             {{"/x/a.jpg", 100}, {"/x/a copy.jpg", 100}}, 1, {"/x/a copy.jpg", "/x/a.jpg"}},
    KeepCase{"equal copy numbers: the copy-word path first (older)", {"/x"},
             {{"/x/photo (2).jpg", 100}, {"/x/photo copy 2.jpg", 100}}, 0,
             {"/x/photo copy 2.jpg", "/x/photo (2).jpg"}},
    KeepCase{"equal copy numbers: the copy-word path first (newer)", {"/x"},
             {{"/x/photo (2).jpg", 100}, {"/x/photo copy 2.jpg", 100}}, 1,
             {"/x/photo copy 2.jpg", "/x/photo (2).jpg"}},
    KeepCase{"all keys tie: order of adding kept", {"/x"},
             {{"/x/p copy 3.jpg", 100}, {"/x/q copy 3.jpg", 100}, {"/x/r copy 3.jpg", 100}}, 0,
             {"/x/p copy 3.jpg", "/x/q copy 3.jpg", "/x/r copy 3.jpg"}},
    KeepCase{"no copy words: case-insensitive path order", {"/x"},
             {{"/x/b.jpg", 100}, {"/x/A.jpg", 100}}, 1, {"/x/A.jpg", "/x/b.jpg"}},
    KeepCase{"no locations: every file ties on the first key", {},
             {{"/x/new.jpg", 200}, {"/y/old.jpg", 100}}, 0, {"/y/old.jpg", "/x/new.jpg"}}));

TEST(KeepRule, scanLocationsOrderLikeTheirPaths)
{
    test::TemporaryTree tree;
    const QString second = tree.makeFolder(QStringLiteral("second"));
    const QString first = tree.makeFolder(QStringLiteral("first"));
    const QList<LocationItemPtr> locations = {LocationItem::withPath(first), LocationItem::withPath(second)};
    const FileItemPtr inSecond = makeFile({"", 1});
    inSecond->setName(second + QStringLiteral("/f.jpg"));
    const FileItemPtr inFirst = makeFile({"", 2});
    inFirst->setName(first + QStringLiteral("/f.jpg"));
    FileGroup group({inSecond, inFirst});

    group.sortWithLocations(locations, 0);

    EXPECT_EQ(group.head(), inFirst);
    EXPECT_EQ(indexOfContainingDirectoryInLocationArray(inSecond->name(), locations), 1);
    EXPECT_EQ(indexOfContainingDirectoryInLocationArray(tree.path(QStringLiteral("elsewhere")), locations), NotFound);
}

TEST(KeepRule, descendingDescriptorsPutHigherCopyNumbersFirst)
{
    const QList<FileItemPtr> files = {makeFile({"/x/photo.jpg", 5}), makeFile({"/x/photo copy.jpg", 5}),
                                      makeFile({"/x/photo copy 2.jpg", 5})};
    EXPECT_EQ(namesOf(FileItem::sorted(files, false)),
              toList({"/x/photo copy 2.jpg", "/x/photo copy.jpg", "/x/photo.jpg"}));
    EXPECT_EQ(namesOf(FileItem::sorted(files, true)),
              toList({"/x/photo.jpg", "/x/photo copy.jpg", "/x/photo copy 2.jpg"}));
}

TEST(KeepRule, unknownDateOrdersBeforeKnownOnesWhenAscending)
{
    const FileItemPtr undated = FileItem::create(QStringLiteral("/x/b"));
    const QList<FileItemPtr> files = {makeFile({"/x/a", 0}), undated};
    EXPECT_EQ(FileItem::sorted(files, true).first(), undated);
    EXPECT_EQ(FileItem::sorted(files, false).last(), undated);
}

TEST(PairsiftCompare, copyAwarePathOrder)
{
    struct Case {
        const char* first;
        const char* second;
        int expected;
    } cases[] = {
        {"/x/a.jpg", "/x/b.jpg", -1},
        {"/x/B.jpg", "/x/a.jpg", 1},
        {"/x/A.jpg", "/x/a.jpg", 0},
        {"/x/a copy.jpg", "/x/a.jpg", -1},           // only the first matches
        {"/x/a.jpg", "/x/a copy.jpg", 1},            // only the second matches
        {"/x/a copy 2.jpg", "/x/a copy 10.jpg", 1},  // the larger number first
        {"/x/a copy 10.jpg", "/x/a copy 2.jpg", -1},
        {"/x/a copy 3.jpg", "/y/b copy 3.png", 0},   // equal numbers tie, nothing else compared
        {"/x/a copy.jpg", "/x/b copy 0.jpg", 0},     // no digits count as 0
        {"/x/a copy.jpg", "/x/b copy 1.jpg", 1},
        {"/x/a COPY 4.jpg", "/x/a copy 3.jpg", -1},  // lower-cased before matching
        {"/x/a  copy   5.jpg", "/x/a copy 4.jpg", -1}, // spaces after the word are allowed
        {"/x copy/a.jpg", "/x/a.jpg", -1},           // a folder name matches too
        {"/x/acopy 9.jpg", "/x/b.jpg", -1},          // no space before the word: no match, plain order
        {"/x/photo (2).jpg", "/x/photo copy 2.jpg", 1},
        {"/x/a copy 99999999999999999999.jpg", "/x/a copy 5.jpg", -1}, // huge numbers saturate
    };
    for (const Case& entry : cases) {
        EXPECT_EQ(pairsiftFileNameCompare(QString::fromUtf8(entry.first), QString::fromUtf8(entry.second)), entry.expected)
            << entry.first << " vs " << entry.second;
    }
}

TEST(PairsiftCompare, containerOrder)
{
    struct Case {
        QString first;
        QString second;
        int expected;
    } cases[] = {
        {containerTypeDirectory, containerTypeiPhoto, -1},
        {containerTypeiPhoto, containerTypeAperture, -1},
        {containerTypeAperture, containerTypeDirectory, 1},
        {containerTypeAperture, containerTypeiPhoto, 1},
        {containerTypeDirectory, QStringLiteral("other"), 0},
        {QString(), containerTypeDirectory, 0},
        {containerTypeiPhoto, containerTypeiPhoto, 0},
    };
    for (const Case& entry : cases)
        EXPECT_EQ(pairsiftContainerCompare(entry.first, entry.second), entry.expected)
            << entry.first.toStdString() << " vs " << entry.second.toStdString();
}

TEST(PairsiftCompare, containingLocationIsTheFirstListedPrefix)
{
    struct Case {
        const char* path;
        std::vector<const char*> locations;
        qsizetype expected;
    } cases[] = {
        {"/a/b/c", {"/a/b", "/a"}, 0},
        {"/a/b/c", {"/a", "/a/b"}, 0},
        {"/a/c", {"/a/b", "/a"}, 1},
        {"/a/bc/x.jpg", {"/a/b"}, 0},
        {"/z/x.jpg", {"/a", "/b"}, NotFound},
        {"/a/x.jpg", {}, NotFound},
        {"/A/x.jpg", {"/a"}, NotFound},
    };
    for (const Case& entry : cases) {
        QStringList locations;
        for (const char* location : entry.locations)
            locations.append(QString::fromUtf8(location));
        EXPECT_EQ(indexOfContainingDirectoryInLocationArray(QString::fromUtf8(entry.path), locations), entry.expected)
            << entry.path;
    }
}

// Files in one folder are ordered by their names alone; the order must stay the one the keys give on whole
// paths, with the location prefix, copy numbers and the copy-aware order read from the full path.
TEST(KeepRule, orderOnFolderAndNamePartsIsTheOrderOnWholePaths)
{
    const QStringList paths = toList({"/x/album copy 2/b.jpg", "/x/album copy 2/a copy 9.jpg", "/x/album copy 2/a.jpg",
        "/x/a/c.jpg", "/x/album copy 3/b.jpg", "/x/album copy 3/a.jpg",
        "/x/a/B.jpg", "/x/a/b copy 3.jpg", "/x/a/b copy.jpg", "/x/a b/c.jpg", "/x/a/b/c.jpg", "/x/y copy/1.jpg",
        "/x/y copy/12 copy 1.jpg", "/x/\xc3\x89.jpg", "/x/\xc3\xa9.jpg", "/x/line\nbreak.jpg", "/x/line.jpg", "/root copy 4.jpg",
        "relative copy.jpg", "/x/a/b (2).jpg"});
    const QStringList locations = toList({"/x/a/b", "/x/album copy 2/a", "/x/a", "/x/y copy/1"});
    for (const bool ascending : {true, false}) {
        for (const bool reversed : {false, true}) {
            SCOPED_TRACE(testing::Message() << "ascending " << ascending << ", reversed " << reversed);
            QList<FileItemPtr> files;
            for (qsizetype index = 0; index < paths.size(); ++index) {
                const QString& path = paths.at(reversed ? paths.size() - 1 - index : index);
                files.append(makeFile({"", index % 7 == 6 ? 1 : 0}));
                files.last()->setName(path);
            }
            const auto rank = [&](const FileItemPtr& file) {
                const qsizetype index = indexOfContainingDirectoryInLocationArray(file->name(), locations);
                return index == NotFound ? std::numeric_limits<qsizetype>::max() : index;
            };
            const int direction = ascending ? 1 : -1;
            QList<FileItemPtr> expected = files;
            std::stable_sort(expected.begin(), expected.end(), [&](const FileItemPtr& left, const FileItemPtr& right) {
                if (rank(left) != rank(right))
                    return rank(left) < rank(right);
                if (left->dateCreated() != right->dateCreated())
                    return (left->dateCreated() < right->dateCreated()) == ascending;
                const qint64 leftNumber = extractCopyNumber(left->name());
                const qint64 rightNumber = extractCopyNumber(right->name());
                if (leftNumber != rightNumber)
                    return (leftNumber < rightNumber ? -1 : 1) * direction < 0;
                return pairsiftFileNameCompare(left->name(), right->name()) < 0;
            });
            FileGroup group(files);
            group.sortWithLocations(locations, ascending ? 0 : 1);
            EXPECT_EQ(namesOf(group.files()), namesOf(expected));
        }
    }
}

} // namespace
} // namespace pairsift
