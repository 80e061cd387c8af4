#include "platform/BookmarkData.h"

#include <gtest/gtest.h>

namespace pairsift {
namespace {

TEST(BookmarkData, roundTripsAbsolutePaths)
{
    const QString paths[] = {
        QStringLiteral("/"),
        QStringLiteral("/Volumes/Photos 2009/Library"),
        QStringLiteral("/home/zoë/写真/ünïcödé"),
        QStringLiteral("/with\nnewline/and\ttab"),
        QStringLiteral("/") + QString(5000, QLatin1Char('x')),
    };
    for (const QString& path : paths) {
        Error error;
        const QByteArray data = makeBookmarkData(path, &error);
        ASSERT_FALSE(data.isEmpty()) << path.toStdString();
        EXPECT_EQ(resolveBookmarkData(data, &error), path);
    }
}

TEST(BookmarkData, refusesPathsThatAreNotAbsolute)
{
    const QString paths[] = {QString(), QString(""), QStringLiteral("relative/folder"),
                             QStringLiteral("/nul") + QChar(0) + QStringLiteral("inside")};
    for (const QString& path : paths) {
        Error error;
        EXPECT_TRUE(makeBookmarkData(path, &error).isNull());
        EXPECT_EQ(error.domain, bookmarkDataErrorDomain);
        EXPECT_EQ(error.code, static_cast<long long>(BookmarkDataError::NotAbsolute));
    }
}

QByteArray blob(char version, quint32 length, const QByteArray& payload)
{
    QByteArray data("PSBK");
    data.append(version);
    for (int shift = 24; shift >= 0; shift -= 8)
        data.append(static_cast<char>((length >> shift) & 0xff));
    return data + payload;
}

TEST(BookmarkData, detectsDataThatDoesNotDecode)
{
    const QByteArray good = makeBookmarkData(QStringLiteral("/data/photos"));
    const struct {
        const char* name;
        QByteArray data;
        BookmarkDataError code;
    } cases[] = {
        {"empty", QByteArray(), BookmarkDataError::UnknownFormat},
        {"other bytes", QByteArray("book:/data/photos"), BookmarkDataError::UnknownFormat},
        {"header cut short", good.left(6), BookmarkDataError::Truncated},
        {"path cut short", good.chopped(1), BookmarkDataError::Truncated},
        {"trailing byte", good + 'x', BookmarkDataError::Truncated},
        {"length beyond the data", blob(1, 0xffffffffu, "/a"), BookmarkDataError::Truncated},
        {"newer version", blob(2, 2, "/a"), BookmarkDataError::UnsupportedVersion},
        {"relative path", blob(1, 1, "a"), BookmarkDataError::InvalidPath},
        {"empty path", blob(1, 0, ""), BookmarkDataError::InvalidPath},
        {"invalid UTF-8", blob(1, 3, "/\xff\xfe"), BookmarkDataError::InvalidPath},
    };
    for (const auto& testCase : cases) {
        Error error;
        EXPECT_TRUE(resolveBookmarkData(testCase.data, &error).isNull()) << testCase.name;
        EXPECT_EQ(error.code, static_cast<long long>(testCase.code)) << testCase.name;
        EXPECT_FALSE(error.description.isEmpty()) << testCase.name;
    }
}

TEST(BookmarkData, describesDataAsGroupsOfHexBytes)
{
    EXPECT_EQ(describeData(QByteArray()), QStringLiteral("<>"));
    EXPECT_EQ(describeData(QByteArray("\x00\x01\xab\xff\x10", 5)), QStringLiteral("<0001abff 10>"));
    EXPECT_EQ(describeData(QByteArray("abcdefgh")), QStringLiteral("<61626364 65666768>"));
}

} // namespace
} // namespace pairsift
