// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about/about_actions.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/message_box.h"
#include "platform/program_starter.h"
#include "resources/about_texts.h"

namespace tessarin {

namespace {

// Appended to the folder of the second location as "\MSINFO32.EXE" on Windows. On Linux the folder
// is a Linux directory, so the separator becomes '/'; the name keeps its capitals, and since Linux
// names are case-sensitive only a file called exactly MSINFO32.EXE is found.
constexpr const char* SysInfoFileInFolder = "/MSINFO32.EXE";

// Closes an opened key however GetKeyValue is left.
class KeyCloser {
public:
    KeyCloser(Registry& registry, RegKey key) : registry_(registry), key_(key) {}
    ~KeyCloser() { registry_.RegCloseKey(key_); }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

private:
    Registry& registry_;
    RegKey key_;
};

// The number in a REG_DWORD's bytes, least significant first, as decimal text. The value is
// unsigned, as the registry's type is: 0xFFFFFFFF reads "4294967295", not "-1". Nothing for
// bytes that hold no 32-bit number.
std::optional<std::string> DwordText(const std::string& bytes) {
    if (bytes.empty() || bytes.size() > sizeof(std::uint32_t)) return std::nullopt;
    std::uint32_t number = 0;
    for (auto it = bytes.rbegin(); it != bytes.rend(); ++it) {
        number = (number << 8) | static_cast<unsigned char>(*it);
    }
    return std::to_string(number);
}

// An ordinary file (or a link to one) of that name; a folder of that name is not the viewer.
bool IsFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

}  // namespace

void AboutActions::StartSysInfo() {
    std::string sysInfoPath;
    // The first location's text is the viewer's path: started as read, not tested first.
    const KeyValueResult first =
        GetKeyValue(HKEY_LOCAL_MACHINE, SysInfoKey, SysInfoPathValue, sysInfoPath);
    bool found = first == KeyValueResult::Found;
    // A value that could not be understood ends the search at once: the second location is
    // tried only when the first is missing.
    if (first == KeyValueResult::Missing &&
        GetKeyValue(HKEY_LOCAL_MACHINE, SysInfoFolderKey, SysInfoFolderValue, sysInfoPath) ==
            KeyValueResult::Found) {
        sysInfoPath += SysInfoFileInFolder;
        found = IsFile(sysInfoPath);
    }
    if (found && starter_.Start(sysInfoPath)) return;
    messages_.ShowMessage(texts::SysInfoUnavailable);
}

KeyValueResult AboutActions::GetKeyValue(RegKey KeyRoot, const std::string& KeyName,
                                         const std::string& SubKeyRef, std::string& KeyVal) {
    RegKey key = 0;
    if (registry_.RegOpenKeyExA(KeyRoot, KeyName, SysInfoKeyAccess, &key) != ERROR_SUCCESS) {
        KeyVal.clear();
        return KeyValueResult::Missing;
    }
    // Every return below, the unusable values' included, leaves the key closed.
    const KeyCloser closer(registry_, key);

    std::array<std::uint8_t, RegValueBufferSize> buffer{};
    std::uint32_t size = RegValueBufferSize;
    RegValueType type = 0;
    if (registry_.RegQueryValueExA(key, SubKeyRef, &type, buffer.data(), &size) != ERROR_SUCCESS) {
        KeyVal.clear();
        return KeyValueResult::Missing;
    }
    // A registry that claims more bytes than the buffer holds is not followed past its end.
    size = std::min(size, RegValueBufferSize);

    // A value of no bytes has no last byte to look at. Taken for granted, that read would fall
    // before the buffer; it is unusable instead, so the caller gives up with its message.
    if (size == 0) return KeyValueResult::Unusable;
    std::string kept(reinterpret_cast<const char*>(buffer.data()), size);
    // A string stored with its terminating zero reads the same as one stored without.
    if (kept.back() == '\0') kept.pop_back();

    switch (type) {
        case REG_SZ:
            KeyVal = kept;
            break;
        case REG_DWORD: {
            std::optional<std::string> number = DwordText(kept);
            if (!number) return KeyValueResult::Unusable;
            KeyVal = *number;
            break;
        }
        default:
            // Found, but of no type that gives a text: the caller's text stays as it was.
            break;
    }
    return KeyValueResult::Found;
}

std::string PercentEncoded(const std::string& text, const std::string& keep) {
    constexpr const char* Hex = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~';
        if (unreserved || keep.find(c) != std::string::npos) {
            encoded.push_back(c);
        } else {
            encoded += {'%', Hex[byte >> 4], Hex[byte & 0xF]};
        }
    }
    return encoded;
}

// The link holds spaces and Chinese characters and ends in CR LF, which a URL can carry only
// percent-encoded. Every byte but the unreserved ones and those that give the link its
// structure is encoded, rather than leaving a tolerant URL parser to guess (some drop the
// final CR LF).
std::string MailLinkUrl() { return PercentEncoded(texts::MailLink(), ":@?&=!,;/+"); }

}  // namespace tessarin
