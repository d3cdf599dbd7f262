// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/program_starter.h"

namespace tessarin {

// A detached process: it outlives the dialog that started it and is never waited for. Its
// window opens normally and takes the focus as the window manager gives it to new windows.
class QtProgramStarter final : public ProgramStarter {
public:
    bool Start(const std::string& path) override;
};

}  // namespace tessarin
