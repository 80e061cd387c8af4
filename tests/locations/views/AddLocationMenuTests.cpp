#include "locations/views/AddLocationMenu.h"

#include "locations/ScanLocationAddController.h"
#include "locations/ScanLocationTableViewController.h"
#include "platform/UserDefaults.h"
#include "testkit/TemporaryTree.h"

#include <gtest/gtest.h>

namespace pairsift {
namespace {

TEST(AddLocationMenu, fixedItemsThenRecentLocationsThenClear)
{
    test::TemporaryTree tree;
    UserDefaults::setConfigurationFolder(tree.makeFolder(QStringLiteral("config")));
    ScanLocationTableViewController locations;
    ScanLocationAddController controller(locations, nullptr, nullptr);
    AddLocationMenu menu(locations, controller);
    ASSERT_EQ(menu.actions().size(), AddLocationMenu::fixedItemCount);
    EXPECT_FALSE(menu.actions().at(2)->isVisible()) << "no photo application is installed here";

    const QString first = QStringLiteral("/recent/R&D");
    const QString second = QStringLiteral("/recent/two");
    locations.addRecentDirectories({first, second});
    locations.addDirectory(second);
    Q_EMIT menu.aboutToShow();

    QStringList titles;
    QList<bool> enabled;
    for (QAction* item : menu.actions()) {
        titles.append(item->isSeparator() ? QStringLiteral("-") : item->text());
        enabled.append(item->isEnabled());
    }
    EXPECT_EQ(titles.mid(AddLocationMenu::fixedItemCount),
              (QStringList{QStringLiteral("-"), QStringLiteral("/recent/R&&D") /* no shortcut letter */, second, QStringLiteral("-"), QStringLiteral("Clear Recent Locations")}));
    EXPECT_TRUE(enabled.at(5));
    EXPECT_FALSE(enabled.at(6)) << "a listed location";
    EXPECT_TRUE(enabled.at(8));

    menu.actions().last()->trigger();
    EXPECT_EQ(menu.actions().size(), AddLocationMenu::fixedItemCount);
    UserDefaults::setConfigurationFolder(QString());
}

} // namespace
} // namespace pairsift
