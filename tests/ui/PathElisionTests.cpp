#include "ui/PathElision.h"

#include <QApplication>
#include <QFontMetrics>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

TEST(PathElision, theFileNameStaysWholeAndTheFoldersNearItLast)
{
    const QFontMetrics metrics(QApplication::font());
    const QString path = QStringLiteral("/home/ann/Data/Photos/Again/beach copy.jpg");
    const auto widthOf = [&metrics](const QString& text) { return metrics.horizontalAdvance(text); };
    const struct {
        int width;
        QString start;
        QString end;
    } cases[] = {
        {widthOf(path), path, path},
        {widthOf(QStringLiteral("/home/…/Again/beach copy.jpg")) + 1, QStringLiteral("/home/"), QStringLiteral("Again/beach copy.jpg")},
        {widthOf(QStringLiteral("…/beach copy.jpg")) + 1, QStringLiteral("…"), QStringLiteral("/beach copy.jpg")},
        {widthOf(QStringLiteral("beach…jpg")) + 1, QStringLiteral("bea"), QStringLiteral(".jpg")},
    };
    for (const auto& testCase : cases) {
        const QString shown = elidedPath(path, metrics, testCase.width);
        EXPECT_LE(widthOf(shown), testCase.width) << shown.toStdString();
        EXPECT_TRUE(shown.startsWith(testCase.start)) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(testCase.end)) << shown.toStdString();
    }
}

} // namespace
} // namespace pairsift
