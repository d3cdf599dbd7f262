// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace tessarin {

// The registry of a Linux desktop, which has none: it holds the one key through which the
// About dialog finds a system-information viewer. Under HKEY_LOCAL_MACHINE the key
// "SOFTWARE\Microsoft\Shared Tools\MSINFO" exists while one of the known viewers is installed,
// and its string value "PATH" is the viewer's full path. There is no
// "SOFTWARE\Microsoft\Shared Tools Location": no Linux system keeps a folder of MSINFO32.EXE.
class LinuxRegistry final : public Registry {
public:
    // The viewers looked for, best first: dedicated system profilers before the desktops'
    // information centres, and those before plain system monitors.
    static std::vector<std::string> DefaultViewers();

    // `searchPath` empty means the directories of $PATH.
    explicit LinuxRegistry(std::vector<std::string> viewers = DefaultViewers(),
                           std::vector<std::string> searchPath = {});

    RegStatus RegOpenKeyExA(RegKey root, const std::string& path, RegAccess access,
                            RegKey* key) override;
    RegStatus RegQueryValueExA(RegKey key, const std::string& name, RegValueType* type,
                               std::uint8_t* data, std::uint32_t* size) override;
    RegStatus RegCloseKey(RegKey key) override;

    // The full path of the first viewer installed, or empty.
    std::string FindViewer() const;

private:
    std::vector<std::string> viewers_;
    std::vector<std::string> searchPath_;
    // An open key remembers the viewer path found when it was opened.
    std::map<RegKey, std::string> open_;
    RegKey nextKey_ = 1;
};

}  // namespace tessarin
