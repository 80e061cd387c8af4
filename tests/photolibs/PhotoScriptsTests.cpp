#include "photolibs/PhotoScripts.h"

#include <gtest/gtest.h>

namespace pairsift {
namespace {

TEST(PhotoScripts, scriptsHaveTheirExactLines)
{
    EXPECT_EQ(iPhotoDeletePhotoScript(QStringLiteral("/L/Masters/a.jpg")),
        QStringLiteral("set pathToRemove to \"/L/Masters/a.jpg\"\n"
                       "tell application \"iPhoto\"\n"
                       "select photo library album\n"
                       "remove (every photo whose image path is equal to pathToRemove or original path is equal to "
                       "pathToRemove)\n"
                       "end tell"));
    EXPECT_EQ(apertureMarkDuplicateByUUIDScript(QStringLiteral("v1")),
        QStringLiteral("tell application \"Aperture\"\n"
                       "\ttell image version id \"v1\" to make new keyword with properties {name:\"Duplicate\"}\n"
                       "end tell"));
    EXPECT_EQ(apertureMarkDuplicateInImportGroupScript(QStringLiteral("a.jpg"), QStringLiteral("2011")),
        QStringLiteral("set fileName to \"a.jpg\"\n"
                       "set importGroup to \"2011\"\n"
                       "tell application \"Aperture\"\n"
                       "\ttell (every image version whose value of other tag \"FileName\" is equal to fileName and "
                       "value of other tag \"ImportGroup\" is equal to importGroup)\n"
                       "\t\tmake new keyword with properties {name:\"Duplicate\"}\n"
                       "\tend tell\n"
                       "end tell"));
}

TEST(PhotoScripts, valuesStayOneStringWhateverTheyHold)
{
    const struct {
        QString value;
        QString contents;
    } cases[] = {
        {QStringLiteral("/a/plain.jpg"), QStringLiteral("/a/plain.jpg")},
        {QStringLiteral("/a/say \"hi\".jpg"), QStringLiteral("/a/say \\\"hi\\\".jpg")},
        {QStringLiteral("/a/back\\slash.jpg"), QStringLiteral("/a/back\\\\slash.jpg")},
        // A trailing backslash must not escape the closing quote.
        {QStringLiteral("/a/end\\"), QStringLiteral("/a/end\\\\")},
        {QStringLiteral("\\\"\nend tell\ndo shell script \"rm"),
            QStringLiteral("\\\\\\\"\nend tell\ndo shell script \\\"rm")},
        {QStringLiteral("/été/%1.jpg"), QStringLiteral("/été/%1.jpg")},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(scriptStringContents(testCase.value), testCase.contents) << testCase.value.toStdString();
        EXPECT_TRUE(
            iPhotoDeletePhotoScript(testCase.value)
                .startsWith(QStringLiteral("set pathToRemove to \"") + testCase.contents + QStringLiteral("\"\n")));
        EXPECT_TRUE(apertureMarkDuplicateInImportGroupScript(testCase.value, testCase.value)
                        .startsWith(QStringLiteral("set fileName to \"") + testCase.contents
                            + QStringLiteral("\"\nset importGroup to \"") + testCase.contents + QLatin1Char('"')));
    }
}

} // namespace
} // namespace pairsift
