// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The system registry as the About dialog reads it: open a key, read one value, close the key.
// The operations have the shape of the Windows registry calls (status codes, a caller-supplied
// buffer with an in/out size), so the dialog's lookup is the same code on any system;
// linux_registry.h answers them on Linux and tests use an in-memory registry.
// Texts are UTF-8, the system code page of a Linux desktop.

#include <cstdint>
#include <cstring>
#include <string>

namespace tessarin {

using RegKey = std::uint32_t;    // a root key or a key opened under one
using RegStatus = std::int32_t;  // ERROR_SUCCESS or the reason for failing
using RegValueType = std::uint32_t;
using RegAccess = std::uint32_t;

inline constexpr RegKey HKEY_LOCAL_MACHINE = 0x80000002;

inline constexpr RegStatus ERROR_SUCCESS = 0;
inline constexpr RegStatus ERROR_FILE_NOT_FOUND = 2;
inline constexpr RegStatus ERROR_ACCESS_DENIED = 5;
inline constexpr RegStatus ERROR_INVALID_HANDLE = 6;
inline constexpr RegStatus ERROR_INVALID_PARAMETER = 87;
inline constexpr RegStatus ERROR_MORE_DATA = 234;

inline constexpr RegValueType REG_SZ = 1;     // a string, normally stored with its final zero
inline constexpr RegValueType REG_DWORD = 4;  // a 32-bit number, least significant byte first

inline constexpr RegAccess KEY_QUERY_VALUE = 0x0001;
inline constexpr RegAccess KEY_SET_VALUE = 0x0002;
inline constexpr RegAccess KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr RegAccess KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr RegAccess KEY_NOTIFY = 0x0010;
inline constexpr RegAccess KEY_CREATE_LINK = 0x0020;
inline constexpr RegAccess READ_CONTROL = 0x00020000;

// What the About dialog asks for when it opens a key. More than reading needs; a registry
// that refuses part of it fails the open, which the lookup treats like a missing key.
inline constexpr RegAccess SysInfoKeyAccess = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY |
                                              KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY |
                                              KEY_CREATE_LINK | READ_CONTROL;
static_assert(SysInfoKeyAccess == 0x2003F);

// The buffer a value is read into.
inline constexpr std::uint32_t RegValueBufferSize = 1024;

// Where the system-information viewer is found: the viewer's full path under the first key,
// or else the folder that holds MSINFO32.EXE under the second.
inline constexpr const char* SysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* SysInfoPathValue = "PATH";
inline constexpr const char* SysInfoFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* SysInfoFolderValue = "MSINFO";

class Registry {
public:
    virtual ~Registry() = default;

    // Opens the key `path` (sub-keys separated by '\', letter case ignored) under `root`.
    // On success stores the new key in *key; it stays open until RegCloseKey.
    virtual RegStatus RegOpenKeyExA(RegKey root, const std::string& path, RegAccess access,
                                    RegKey* key) = 0;
    // Reads the value `name` of an open key into data[0 .. *size) and sets *type. On entry *size
    // is the room in `data`; on success it becomes the number of bytes written. A value that
    // does not fit gives ERROR_MORE_DATA with *size set to the room it needs.
    virtual RegStatus RegQueryValueExA(RegKey key, const std::string& name, RegValueType* type,
                                       std::uint8_t* data, std::uint32_t* size) = 0;
    virtual RegStatus RegCloseKey(RegKey key) = 0;
};

// The copying half of RegQueryValueExA, shared by the implementations so that they agree on
// what a short buffer does.
inline RegStatus CopyRegValue(RegValueType valueType, const std::string& bytes, RegValueType* type,
                              std::uint8_t* data, std::uint32_t* size) {
    if (type) *type = valueType;
    if (!size) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    const auto needed = static_cast<std::uint32_t>(bytes.size());
    const std::uint32_t room = *size;
    *size = needed;
    if (!data) return ERROR_SUCCESS;
    if (needed > room) return ERROR_MORE_DATA;
    std::memcpy(data, bytes.data(), needed);
    return ERROR_SUCCESS;
}

}  // namespace tessarin
