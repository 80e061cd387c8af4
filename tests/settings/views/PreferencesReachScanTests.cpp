// What the panes change reaches the next scan: the small-file threshold (not the scan already running)
// and the filter list, where a row left empty skips nothing.
#include "scan/CountingTestSupport.h"
#include "settings/FakePreferencesHost.h"

#include "settings/FilterListModel.h"
#include "settings/PsfPrefsFiltersController.h"
#include "settings/PsfPrefsGeneralController.h"

namespace pairsift::test {
namespace {

using PreferencesReachScan = CountingTest;

TEST_F(PreferencesReachScan, aThresholdChangeAppliesToTheNextScanNotTheRunningOne)
{
    for (const qsizetype size : {99, 100, 1024})
        m_tree.writeFile(QStringLiteral("loc/f%1.bin").arg(size), content(size));
    PsfPrefsGeneralController general(nullptr);
    general.setIgnoreSmallFiles(true);
    general.setSmallFileSize(100);
    general.setSmallFileSizeUnit(0);

    m_controller->addFilesInLocations({location(QStringLiteral("loc"))}, {}, m_db, m_session, m_log->logger(),
        completionRecorder());
    // One kilobyte from now on.
    general.setSmallFileSize(1);
    general.setSmallFileSizeUnit(1);
    ASSERT_EQ(waitForCompletion(), std::optional<bool>(true));
    EXPECT_EQ(sessionFiles(), (std::vector<std::string>{"loc/f100.bin", "loc/f1024.bin"}));

    m_session = std::make_shared<Session>(m_db, nullptr);
    ASSERT_EQ(scanPaths({QStringLiteral("loc")}), std::optional<bool>(true));
    EXPECT_EQ(sessionFiles(), (std::vector<std::string>{"loc/f1024.bin"}));
}

TEST_F(PreferencesReachScan, aFilterLeftEmptySkipsNothing)
{
    m_tree.writeFile(QStringLiteral("loc/kept.bin"), content(200, 1));
    m_tree.writeFile(QStringLiteral("loc/CVSROOT/skipped.bin"), content(200, 2));
    FakePreferencesHost host;
    host.filterList = {Filter(QStringLiteral("CVSROOT"))};
    PsfPrefsFiltersController filters(host);
    filters.addFilter();
    FilterListModel& model = *filters.filterArrayController();
    ASSERT_TRUE(model.setData(model.index(1), QString()));

    ASSERT_EQ(scanPaths({QStringLiteral("loc")}, host.filters()), std::optional<bool>(true));
    EXPECT_EQ(sessionFiles(), std::vector<std::string>{"loc/kept.bin"});
}

} // namespace
} // namespace pairsift::test
