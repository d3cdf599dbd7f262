// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An in-memory registry that records what is asked of it.

#include <QString>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace tessarin::testing {

class FakeRegistry final : public Registry {
public:
    struct Value {
        RegValueType type = REG_SZ;
        std::string bytes;
    };

    // Stores a value, creating its key. Paths and names ignore letter case.
    void Set(const std::string& path, const std::string& name, RegValueType type,
             std::string bytes) {
        keys_[Fold(path)][Fold(name)] = Value{type, std::move(bytes)};
    }
    void AddKey(const std::string& path) { keys_[Fold(path)]; }
    // The key exists, but opening it with the access asked for is refused.
    void Deny(const std::string& path) { denied_.insert(Fold(path)); }
    // A faulty registry: reports success with this many bytes whatever the buffer holds.
    void ClaimSize(std::uint32_t size) { claimedSize_ = size; }

    RegStatus RegOpenKeyExA(RegKey root, const std::string& path, RegAccess access,
                            RegKey* key) override {
        opened.push_back(path);
        accesses.push_back(access);
        roots.push_back(root);
        if (root != HKEY_LOCAL_MACHINE) return ERROR_INVALID_HANDLE;
        if (denied_.count(Fold(path))) return ERROR_ACCESS_DENIED;
        const auto it = keys_.find(Fold(path));
        if (it == keys_.end()) return ERROR_FILE_NOT_FOUND;
        *key = nextKey_++;
        open_[*key] = Fold(path);
        return ERROR_SUCCESS;
    }

    RegStatus RegQueryValueExA(RegKey key, const std::string& name, RegValueType* type,
                               std::uint8_t* data, std::uint32_t* size) override {
        queried.push_back(name);
        const auto openKey = open_.find(key);
        if (openKey == open_.end()) return ERROR_INVALID_HANDLE;
        const auto& values = keys_.at(openKey->second);
        const auto value = values.find(Fold(name));
        if (value == values.end()) return ERROR_FILE_NOT_FOUND;
        if (claimedSize_) {
            if (type) *type = value->second.type;
            *size = *claimedSize_;
            return ERROR_SUCCESS;
        }
        return CopyRegValue(value->second.type, value->second.bytes, type, data, size);
    }

    RegStatus RegCloseKey(RegKey key) override {
        ++closes;
        return open_.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    }

    std::size_t OpenKeys() const { return open_.size(); }

    std::vector<std::string> opened;  // every key path asked for, in order
    std::vector<RegAccess> accesses;
    std::vector<RegKey> roots;
    std::vector<std::string> queried;
    int closes = 0;

private:
    static std::string Fold(const std::string& s) {
        return QString::fromUtf8(s).toCaseFolded().toStdString();
    }

    std::map<std::string, std::map<std::string, Value>> keys_;
    std::set<std::string> denied_;
    std::map<RegKey, std::string> open_;
    RegKey nextKey_ = 0x100;
    std::optional<std::uint32_t> claimedSize_;
};

}  // namespace tessarin::testing
