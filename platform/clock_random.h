// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <random>

#include "platform/random_source.h"

namespace tessarin {

class ClockRandom final : public RandomSource {
public:
    void SeedRandom() override;
    float NextRandom() override;

    // For reproducible runs (benchmarks, soak tests).
    void Seed(std::uint64_t seed) { engine_.seed(seed); }

private:
    std::mt19937_64 engine_{0};
};

}  // namespace tessarin
