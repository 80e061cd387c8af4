#include "settings/Filter.h"

#include <gtest/gtest.h>

namespace pairsift {
namespace {

TEST(Filter, startsWithThePlaceholderOrTheGivenText)
{
    EXPECT_EQ(Filter().glob(), QStringLiteral("<New Filter>"));
    EXPECT_EQ(Filter(QStringLiteral("CVSROOT")).glob(), QStringLiteral("CVSROOT"));
}

TEST(Filter, archivesItsTextUnderGlob)
{
    const QString texts[] = {QStringLiteral(".svn"), QString(""), QStringLiteral("写真 *?")};
    for (const QString& text : texts) {
        QVariantMap coder;
        Filter(text).encode(coder);
        EXPECT_EQ(coder.keys(), QStringList{QStringLiteral("glob")});
        EXPECT_EQ(Filter(coder).glob(), text);
    }
}

TEST(Filter, archiveWithoutATextGivesNoText)
{
    const QVariantMap coders[] = {QVariantMap(), QVariantMap{{"glob", 5}}, QVariantMap{{"other", "x"}}};
    for (const QVariantMap& coder : coders)
        EXPECT_TRUE(Filter(coder).glob().isNull());
}

} // namespace
} // namespace pairsift
