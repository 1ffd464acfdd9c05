// The simulated registry: an in-memory tree under the four predefined roots, key and value
// names without regard to case (the first spelling is kept), values as type plus raw bytes,
// Windows' return codes and the access rights of each open handle.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace platform::sim {

class SimRegistry : public Registry {
 public:
  struct Value {
    std::wstring name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
  };
  struct Key {
    std::wstring name;
    Key* parent = nullptr;
    bool readOnly = false;  // this key and everything below refuse writes
    std::map<std::wstring, std::unique_ptr<Key>> subKeys;  // by upper-case name
    std::map<std::wstring, Value> values;                  // by upper-case name
  };

  SimRegistry();

  // RegOpenKeyExW: InvalidHandle for an unknown parent, BadPathname for a name that starts
  // with a backslash, FileNotFound for a missing key, AccessDenied when write rights are
  // asked of a read-only key.
  Win32Error OpenKey(RegKey parent, const std::wstring& subKey, std::uint32_t access,
                     RegKey* key) override;
  // RegCreateKeyExW: as OpenKey, creating the missing keys; creating needs the parent
  // handle's KEY_CREATE_SUB_KEY right and a key that is not read-only.
  Win32Error CreateKey(RegKey parent, const std::wstring& subKey, std::uint32_t access,
                       RegKey* key, bool* created) override;
  Win32Error CloseKey(RegKey key) override;
  // AccessDenied without KEY_QUERY_VALUE; FileNotFound; MoreData past maxBytes.
  Win32Error QueryValue(RegKey key, const std::wstring& name, std::uint32_t* type,
                        std::vector<std::uint8_t>* data, std::uint32_t maxBytes) override;
  // AccessDenied without KEY_SET_VALUE or on a read-only key.
  Win32Error SetValue(RegKey key, const std::wstring& name, std::uint32_t type,
                      const std::vector<std::uint8_t>& data) override;
  Win32Error DeleteValue(RegKey key, const std::wstring& name) override;

  // --- Set-up and inspection, by root and key path ("Software\Tamber4"); no access checks.
  Key& MakeKey(RegKey root, const std::wstring& path);
  const Key* FindKey(RegKey root, const std::wstring& path) const;
  bool KeyExists(RegKey root, const std::wstring& path) const;
  void Put(RegKey root, const std::wstring& path, const std::wstring& name, std::uint32_t type,
           std::vector<std::uint8_t> data);
  void PutDword(RegKey root, const std::wstring& path, const std::wstring& name,
                std::uint32_t value);
  // A REG_SZ (or REG_EXPAND_SZ) stored as Windows stores it: UTF-16LE with its terminator.
  void PutString(RegKey root, const std::wstring& path, const std::wstring& name,
                 const std::wstring& text, std::uint32_t type = 1);
  std::optional<Value> Get(RegKey root, const std::wstring& path, const std::wstring& name) const;
  // The DWORD or string held by a value of that type (strings up to their first null).
  std::optional<std::uint32_t> GetDword(RegKey root, const std::wstring& path,
                                        const std::wstring& name) const;
  std::optional<std::wstring> GetString(RegKey root, const std::wstring& path,
                                        const std::wstring& name) const;
  // Marks a key (created when missing) and its subtree read-only, or clears the mark.
  void SetReadOnly(RegKey root, const std::wstring& path, bool readOnly);
  // Removes every key and value below the roots and closes every open key.
  void Clear();
  // Keys the logic has open now (for leak checks).
  std::size_t OpenKeyCount() const { return handles_.size(); }

  // Calls `visit` for every key, depth first, subkeys in upper-case order, with the
  // key's full path below its root.
  using KeyVisitor = std::function<void(RegKey root, const std::wstring& path, const Key& key)>;
  void Visit(const KeyVisitor& visit) const;

  // "HKEY_CURRENT_USER" and friends; RootFromName also takes HKCU, HKLM, HKCR, HKU.
  static const wchar_t* RootName(RegKey root);
  static std::optional<RegKey> RootFromName(const std::wstring& name);
  static std::vector<RegKey> Roots();

 private:
  struct OpenHandle {
    Key* key = nullptr;
    std::uint32_t rights = 0;
  };

  OpenHandle* Lookup(RegKey key);
  Key* Root(RegKey root) const;
  static bool IsReadOnly(const Key& key);
  Win32Error Grant(Key* key, std::uint32_t access, RegKey* handle);

  std::map<RegKey, std::unique_ptr<Key>> roots_;
  std::map<RegKey, OpenHandle> handles_;
  std::map<RegKey, OpenHandle> rootHandles_;
  RegKey nextHandle_ = 0x1000;
};

// Raw bytes of registry values, as Windows stores them.
std::vector<std::uint8_t> DwordBytes(std::uint32_t value);
std::vector<std::uint8_t> StringBytes(const std::wstring& text);  // with the terminator
std::wstring StringFromBytes(const std::vector<std::uint8_t>& data);  // up to the first null

}  // namespace platform::sim
