#include "platform/desktop/LauncherEntry.h"

#include <QVariantMap>

#include <cmath>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

TEST(LauncherEntry, updateSignalCarriesTheProgress)
{
    const QString uri = LauncherEntry::applicationURI();
    EXPECT_EQ(uri, QStringLiteral("application://pairsift.desktop"));

    const struct {
        double progress;
        bool isVisible;
        double sent;
    } cases[] = {{0.25, true, 0.25}, {1.7, true, 1}, {-3, false, 0}, {std::nan(""), true, 0}};
    for (const auto& testCase : cases) {
        const QDBusMessage message = LauncherEntry::updateMessage(uri, testCase.progress, testCase.isVisible);
        EXPECT_EQ(message.type(), QDBusMessage::SignalMessage);
        EXPECT_EQ(message.interface(), QStringLiteral("com.canonical.Unity.LauncherEntry"));
        EXPECT_EQ(message.member(), QStringLiteral("Update"));
        ASSERT_EQ(message.arguments().size(), 2);
        EXPECT_EQ(message.arguments().at(0).toString(), uri);
        const QVariantMap properties = message.arguments().at(1).toMap();
        EXPECT_EQ(properties.size(), 2);
        EXPECT_DOUBLE_EQ(properties.value(QStringLiteral("progress")).toDouble(), testCase.sent);
        EXPECT_EQ(properties.value(QStringLiteral("progress-visible")).toBool(), testCase.isVisible);
    }
}

} // namespace
} // namespace pairsift
