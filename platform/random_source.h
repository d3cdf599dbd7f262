// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tessarin {

// The one pseudo-random generator of the program. Every draw is meaningful (remark choice,
// tie-breaks), so tests replace it with a scripted sequence.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Seeds from the system clock so that every run draws a different sequence.
    virtual void SeedRandom() = 0;
    // Uniform single-precision value in [0, 1); 1 itself never comes.
    virtual float NextRandom() = 0;
};

}  // namespace tessarin
