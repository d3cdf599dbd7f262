// SPDX-License-Identifier: GPL-3.0-or-later
#include "brain/line_splitter.h"

#include <utility>

namespace tessarin::brain {

std::optional<std::string> LineSplitter::Finish() {
    if (line_.empty()) return std::nullopt;
    return std::exchange(line_, std::string());
}

}  // namespace tessarin::brain
