// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <array>

#include "platform/clock_random.h"

namespace tessarin {
namespace {

TEST(ClockRandom, DrawsUniformlyInHalfOpenUnitInterval) {
    ClockRandom random;
    random.Seed(20261208);
    constexpr int Draws = 200000;
    std::array<int, 10> buckets{};
    for (int i = 0; i < Draws; ++i) {
        const float v = random.NextRandom();
        ASSERT_GE(v, 0.0f);
        ASSERT_LT(v, 1.0f);
        ++buckets[static_cast<std::size_t>(v * 10.0f)];
    }
    // Each tenth gets 20000 +- a generous 5 %: catches a skewed or constant generator.
    for (int count : buckets) {
        EXPECT_NEAR(count, Draws / 10, Draws / 200);
    }
}

TEST(ClockRandom, ClockSeedsDifferBetweenRuns) {
    ClockRandom first;
    ClockRandom second;
    first.SeedRandom();
    second.SeedRandom();  // nanoseconds later
    bool differ = false;
    for (int i = 0; i < 8 && !differ; ++i) differ = first.NextRandom() != second.NextRandom();
    EXPECT_TRUE(differ);
}

}  // namespace
}  // namespace tessarin
