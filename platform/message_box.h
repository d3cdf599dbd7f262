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
    // The same box, whose text a screen reader reads with `lead` before it; the box shows only
    // the text. A box without a reader to serve may ignore the lead.
    virtual void ShowMessageWithLead(const std::string& lead, const std::string& text) {
        (void)lead;
        ShowMessage(text);
    }
};

// Shows nothing and returns at once: for a game with no one at a window (the brain, the
// benchmarks and the long tests, where a modal box would stop at the first five).
class SilentMessageBox final : public MessageBox {
public:
    void ShowMessage(const std::string&) override {}
};

}  // namespace tessarin
