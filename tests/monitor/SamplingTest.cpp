// The sampling arithmetic: processor share, network rates, histories, fractions, rates as text.
#include <gtest/gtest.h>

#include "monitor/Sampling.h"

using namespace Monitor;

TEST(Processor, FirstReadingIsZeroThenDeltasWrapAndEqualTicksKeepTheValue)
{
    Sampler sampler;
    EXPECT_EQ(sampler.takeTicks(Ticks{100, 50, 800, 50}), 0.0);
    // 300 busy of 400: user 200, system 50, idle 100, nice 50
    EXPECT_DOUBLE_EQ(sampler.takeTicks(Ticks{300, 100, 900, 100}), 0.75);
    // nothing passed: no division by zero, the previous value stays
    EXPECT_DOUBLE_EQ(sampler.takeTicks(Ticks{300, 100, 900, 100}), 0.75);
    // a failed reading keeps the value and the previous ticks
    EXPECT_DOUBLE_EQ(sampler.takeTicks(std::nullopt), 0.75);
    EXPECT_DOUBLE_EQ(sampler.takeTicks(Ticks{400, 100, 1200, 100}), 0.25);

    // counters passing 2^32 between two readings
    const Ticks before{0xFFFFFF00u, 10, 0xFFFFFFF0u, 0};
    const Ticks after{0x00000100u, 10, 0x00000010u, 0};  // user +512, idle +32
    EXPECT_NEAR(*busyFraction(before, after), 512.0 / 544.0, 1e-12);
    EXPECT_FALSE(busyFraction(after, after).has_value());
}

TEST(Network, RatesUseAtLeastHalfASecondAndDropBackwardsCounters)
{
    const NetRates plain = netRates({1000, 500, 10.0}, {3000, 1500, 12.0});
    EXPECT_EQ(plain.down, 1000.0);
    EXPECT_EQ(plain.up, 500.0);
    // 0.1 s apart: divided by 0.5, not 0.1
    EXPECT_EQ(netRates({0, 0, 10.0}, {1000, 100, 10.1}).down, 2000.0);
    // received wrapped or reset: 0 for that direction only
    const NetRates reset = netRates({5000, 100, 1.0}, {200, 300, 3.0});
    EXPECT_EQ(reset.down, 0.0);
    EXPECT_EQ(reset.up, 100.0);

    Sampler sampler;
    EXPECT_EQ(sampler.takeNet({1000, 1000, 1.0}).down, 0.0);  // first: nothing to compare
    EXPECT_EQ(sampler.takeNet({3000, 1000, 3.0}).down, 1000.0);
    // an unreadable table reads (0, 0): a backwards step gives 0, the next one counts from 0
    EXPECT_EQ(sampler.takeNet({0, 0, 5.0}).down, 0.0);
    EXPECT_EQ(sampler.takeNet({4000, 0, 7.0}).down, 2000.0);
}

TEST(History, KeepsTheLastSixtyValuesAndFractionsOfZeroAreNeutral)
{
    std::vector<double> history;
    for (int i = 1; i <= 61; ++i)
        appendBounded(history, i);
    ASSERT_EQ(history.size(), 60u);
    EXPECT_EQ(history.front(), 2.0);
    EXPECT_EQ(history.back(), 61.0);

    EXPECT_EQ(memFraction({0, 5}), 0.0);
    EXPECT_EQ(memFraction({200, 50}), 0.25);
    EXPECT_EQ(diskFreeFraction({0, 0}), 1.0);
    EXPECT_EQ(diskFreeFraction({400, 100}), 0.25);
}

TEST(Rate, WholeBytesBelow1024AndA1024BasedFormatAbove)
{
    for (const auto& [bytes, text] : std::vector<std::pair<double, const char*>>{
             {0, "0\u00A0B/s"}, {512.7, "512\u00A0B/s"}, {1023.9, "1,023\u00A0B/s"}, {-3, "0\u00A0B/s"},
             {1024, "1.0\u00A0kB/s"}, {1536, "1.5\u00A0kB/s"}, {3 * 1024.0 * 1024.0, "3.0\u00A0MB/s"}})
        EXPECT_EQ(rate(bytes), text) << bytes;
}
