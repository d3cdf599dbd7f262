#include "ui/about/about_actions.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
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

// Closes an opened key however GetKeyValue is left, a thrown error included.
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
// unsigned, as the registry's type is: 0xFFFFFFFF reads "4294967295", not "-1".
std::string DwordText(const std::string& bytes) {
    if (bytes.empty() || bytes.size() > sizeof(std::uint32_t)) {
        throw RegistryValueError("a number value of " + std::to_string(bytes.size()) + " bytes");
    }
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
    try {
        std::string sysInfoPath;
        // The first location's text is the viewer's path: started as read, not tested first.
        bool found = GetKeyValue(HKEY_LOCAL_MACHINE, SysInfoKey, SysInfoPathValue, sysInfoPath);
        if (!found &&
            GetKeyValue(HKEY_LOCAL_MACHINE, SysInfoFolderKey, SysInfoFolderValue, sysInfoPath)) {
            sysInfoPath += SysInfoFileInFolder;
            found = IsFile(sysInfoPath);
        }
        if (found && starter_.Start(sysInfoPath)) return;
    } catch (const std::exception&) {
        // A value that could not be understood ends the search at once: the second location
        // is not tried.
    }
    messages_.ShowMessage(texts::SysInfoUnavailable);
}

bool AboutActions::GetKeyValue(RegKey KeyRoot, const std::string& KeyName,
                               const std::string& SubKeyRef, std::string& KeyVal) {
    RegKey key = 0;
    if (registry_.RegOpenKeyExA(KeyRoot, KeyName, SysInfoKeyAccess, &key) != ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    // Also closes the key when an unusable value is thrown out below, which would otherwise
    // leave it open for the rest of the run.
    const KeyCloser closer(registry_, key);

    std::array<std::uint8_t, RegValueBufferSize> buffer{};
    std::uint32_t size = RegValueBufferSize;
    RegValueType type = 0;
    if (registry_.RegQueryValueExA(key, SubKeyRef, &type, buffer.data(), &size) != ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    // A registry that claims more bytes than the buffer holds is not followed past its end.
    size = std::min(size, RegValueBufferSize);

    // A value of no bytes has no last byte to look at. Taken for granted, that read would fall
    // before the buffer; it is an error instead, so the caller gives up with its message.
    if (size == 0) throw RegistryValueError("registry value \"" + SubKeyRef + "\" is empty");
    std::string kept(reinterpret_cast<const char*>(buffer.data()), size);
    // A string stored with its terminating zero reads the same as one stored without.
    if (kept.back() == '\0') kept.pop_back();

    switch (type) {
        case REG_SZ:
            KeyVal = kept;
            break;
        case REG_DWORD:
            KeyVal = DwordText(kept);
            break;
        default:
            // Found, but of no type that gives a text: the caller's text stays as it was.
            break;
    }
    return true;
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
