// The helper threads the comparison stages share (their sharing is tested with the read-ahead): a job
// reaches every member, members still being started included, and a team ends cleanly whatever state its
// members are in.
#include "processing/ReaderTeam.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

namespace pairsift {
namespace {

TEST(ReaderTeam, endsWhileItsMembersAreStillStarting)
{
    // Teams dropped at once, most members not yet started, from several threads so that starting one is
    // often interrupted; any slip shows as a crash or a hang. A job reaches every member the team has,
    // which may be fewer than asked for when the system refuses threads.
    std::atomic<int> unfinishedJobs{0};
    std::vector<std::thread> builders;
    for (int builder = 0; builder < 8; ++builder) {
        builders.emplace_back([&unfinishedJobs, builder] {
            for (int round = 0; round < 40; ++round) {
                std::unique_ptr<ReaderTeam> team;
                try {
                    team = std::make_unique<ReaderTeam>(16);
                } catch (const std::system_error&) {
                    continue; // not even one thread to be had
                }
                if ((round + builder) % 2 == 0)
                    continue;
                std::atomic<int> calls{0};
                team->run([&calls] { ++calls; });
                // The team's end waits for the job too; only then is its member count final.
                team->waitUntilDone();
                const int members = team->memberCount();
                team.reset();
                if (members < 1 || calls.load() != members)
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
