#include "ui/JobPacing.h"

#include <gtest/gtest.h>

#include <thread>

namespace tessely
{
namespace
{

TEST(JobPacing, CatchesUpAtOnceThenOncePerInterval)
{
    JobPacing slow(std::chrono::hours(1));
    slow.start();
    EXPECT_TRUE(slow.due()) << "the first yield of a job repaints";
    EXPECT_FALSE(slow.due()) << "but not the next step within the interval";
    slow.start();
    EXPECT_TRUE(slow.due()) << "a new job starts afresh";

    JobPacing fast(std::chrono::milliseconds(1));
    fast.start();
    EXPECT_TRUE(fast.due());
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(fast.due()) << "due again once the interval has passed";
}

TEST(JobPacing, GivesTheCaptionOnlyWhenItsNumberWasSet)
{
    JobPacing pacing;
    EXPECT_FALSE(pacing.takeCaption().has_value());
    pacing.setStatus(7);
    pacing.setStatus(12);
    EXPECT_EQ(pacing.takeCaption(), std::optional<std::string>("Processing 12")) << "the latest number counts";
    EXPECT_FALSE(pacing.takeCaption().has_value()) << "an unchanged caption is not set again";
    pacing.setStatus(12);
    EXPECT_EQ(pacing.takeCaption(), std::optional<std::string>("Processing 12"));
}

} // namespace
} // namespace tessely
