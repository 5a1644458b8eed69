// Registry values. On Windows this is the real registry; elsewhere a small
// file-backed store (see SetRegistryStore) with the same answers, so the core
// behaves the same on both.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ks::plat {

enum class RegRoot { LocalMachine, CurrentUser };

// Non-Windows only: the file that holds the store. Ignored on Windows.
void SetRegistryStore(const std::string& path);

bool RegKeyExists(RegRoot root, const std::string& key);
bool RegCreateKey(RegRoot root, const std::string& key);
bool RegDeleteKey(RegRoot root, const std::string& key);
std::optional<std::string> RegReadString(RegRoot root, const std::string& key,
                                         const std::string& name);
bool RegWriteString(RegRoot root, const std::string& key, const std::string& name,
                    const std::string& value);
std::optional<std::uint32_t> RegReadDword(RegRoot root, const std::string& key,
                                          const std::string& name);
bool RegWriteDword(RegRoot root, const std::string& key, const std::string& name,
                   std::uint32_t value);
bool RegDeleteValue(RegRoot root, const std::string& key, const std::string& name);

}  // namespace ks::plat
