// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace tessarin {

// The application's modal message box: the text is its only content, it has an OK button
// alone and no icon, and its caption is the application title. Returns once the user has
// closed it. Text is UTF-8; "\r\n" starts a new line.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace tessarin
