// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the About dialog does beyond itself, without a window: finding and starting the
// system-information viewer through the registry, and the mail link as a URL.

#include <string>

#include "platform/registry.h"

namespace tessarin {

class MessageBox;
class ProgramStarter;

// What GetKeyValue made of a value.
enum class KeyValueResult {
    Found,    // read: `KeyVal` holds it, or is as it was for a type that gives no text
    Missing,  // the key or the value cannot be read: `KeyVal` is empty
    // Read, but holding nothing usable (an empty value, or a number that is no 32-bit number):
    // the search for the viewer ends here, with its failure message.
    Unusable,
};

class AboutActions {
public:
    // The services must outlive this object.
    AboutActions(MessageBox& messages, Registry& registry, ProgramStarter& starter)
        : messages_(messages), registry_(registry), starter_(starter) {}

    // Starts the system-information viewer named by the registry, or shows
    // "目前無法提供系統資訊" when it cannot.
    void StartSysInfo();

    // Reads the value `SubKeyRef` of the key `KeyName` under `KeyRoot` into `KeyVal`: a string as
    // it is, a 32-bit number as decimal text, any other type leaves `KeyVal` as it was. The key
    // is closed on every way out.
    KeyValueResult GetKeyValue(RegKey KeyRoot, const std::string& KeyName,
                               const std::string& SubKeyRef, std::string& KeyVal);

private:
    MessageBox& messages_;
    Registry& registry_;
    ProgramStarter& starter_;
};

// The mail link to the author as a URL: the link's text, percent-encoded where a URL cannot
// carry it as it is (spaces, Chinese text, the closing CR LF).
std::string MailLinkUrl();

// `text` with every byte percent-encoded except the unreserved ones and `keep`.
std::string PercentEncoded(const std::string& text, const std::string& keep);

}  // namespace tessarin
