// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/clock_random.h"

#include <chrono>

namespace tessarin {

void ClockRandom::SeedRandom() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
    std::seed_seq seq{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
    engine_.seed(seq);
}

float ClockRandom::NextRandom() {
    // A float has a 24-bit significand: k / 2^24 for k in [0, 2^24) is exactly representable,
    // evenly spaced, and never rounds up to 1 the way a scaled 64-bit value could.
    constexpr int kBits = 24;
    const auto k = static_cast<std::uint32_t>(engine_() >> (64 - kBits));
    return static_cast<float>(k) / static_cast<float>(1u << kBits);
}

}  // namespace tessarin
