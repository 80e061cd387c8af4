// The helper threads the comparison stages share: each job reaches every member once, members still
// being started included, and a team ends cleanly whatever state its members are in.
#include "processing/ReaderTeam.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <thread>
#include <vector>

namespace pairsift {
namespace {

TEST(ReaderTeam, everyMemberDoesEachJobOnceAndTheWaitCoversThemAll)
{
    ReaderTeam team(8);
    std::atomic<int> calls{0};
    std::mutex threadsMutex;
    std::set<std::thread::id> threads;
    for (int job = 1; job <= 3; ++job) {
        team.run([&] {
            // Slow enough that a wait that did not cover every member would return early.
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            const std::lock_guard<std::mutex> lock(threadsMutex);
            threads.insert(std::this_thread::get_id());
            ++calls;
        });
        team.waitUntilDone();
        EXPECT_EQ(calls.load(), 8 * job);
    }
    // The same threads from one job to the next.
    EXPECT_EQ(threads.size(), 8u);
}

TEST(ReaderTeam, endsWhileItsMembersAreStillStarting)
{
    // Teams dropped at once, most members not yet started, from several threads so that starting one is
    // often interrupted; any slip shows as a crash or a hang.
    std::atomic<int> unfinishedJobs{0};
    std::vector<std::thread> builders;
    for (int builder = 0; builder < 8; ++builder) {
        builders.emplace_back([&unfinishedJobs, builder] {
            for (int round = 0; round < 40; ++round) {
                auto team = std::make_unique<ReaderTeam>(16);
                if ((round + builder) % 2 == 0)
                    continue;
                std::atomic<int> calls{0};
                team->run([&calls] { ++calls; });
                team.reset();
                if (calls.load() != 16)
                    ++unfinishedJobs;
            }
        });
    }
    for (std::thread& builder : builders)
        builder.join();
    EXPECT_EQ(unfinishedJobs.load(), 0);
}

} // namespace
} // namespace pairsift
