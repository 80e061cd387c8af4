#include "platform/BackgroundRelease.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace pairsift {
namespace {

// Records the thread it dies on.
struct Witness {
    explicit Witness(std::thread::id* at) : freedOn(at) {}
    ~Witness() { *freedOn = std::this_thread::get_id(); }
    std::thread::id* freedOn;
};

TEST(BackgroundRelease, freesWhatItIsGivenOnItsOwnThreadAndWaitsForItWhenDestroyed)
{
    std::thread::id freedOn;
    auto witness = std::make_shared<Witness>(&freedOn);
    std::weak_ptr<Witness> watch = witness;
    {
        BackgroundRelease release(QStringLiteral("test.release"));
        release.release(std::move(witness));
        release.release(nullptr);
    }
    EXPECT_TRUE(watch.expired());
    EXPECT_NE(freedOn, std::thread::id());
    EXPECT_NE(freedOn, std::this_thread::get_id());
}

} // namespace
} // namespace pairsift
