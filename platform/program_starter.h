// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace tessarin {

// Starts a program and returns at once, without following it.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // `path` is the program's file, run as it is with no arguments and no shell in between.
    // False when it could not be started (no such file, not executable, empty path).
    virtual bool Start(const std::string& path) = 0;
};

}  // namespace tessarin
