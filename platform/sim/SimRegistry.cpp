#include "platform/sim/SimRegistry.h"

#include "platform/sim/SimErrors.h"
#include "platform/sim/SimText.h"
#include "text/Utf.h"

namespace platform::sim {
namespace {

constexpr std::uint32_t kQueryValue = 0x1;
constexpr std::uint32_t kSetValue = 0x2;
constexpr std::uint32_t kCreateSubKey = 0x4;
constexpr std::uint32_t kWriteRights = kSetValue | kCreateSubKey | 0x20 /*CREATE_LINK*/ |
                                       0x10000 /*DELETE*/ | 0x40000 /*WRITE_DAC*/ |
                                       0x80000 /*WRITE_OWNER*/;
constexpr std::uint32_t kMaximumAllowed = 0x2000000;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kGenericExecute = 0x20000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kGenericRead = 0x80000000;

// The specific rights a requested access stands for.
std::uint32_t MapRights(std::uint32_t access, bool readOnly) {
  std::uint32_t rights = access & 0x00FFFFFFu & ~kMaximumAllowed;
  if (access & (kGenericRead | kGenericExecute)) rights |= reg::Read;
  if (access & kGenericWrite) rights |= reg::Write;
  if (access & kGenericAll) rights |= reg::AllAccess;
  if (access & kMaximumAllowed) rights |= readOnly ? reg::Read : reg::AllAccess;
  return rights;
}

// Key names of a path; false when the path starts with a backslash. A trailing backslash
// is allowed; the empty path names the key itself.
bool SplitKeyPath(const std::wstring& path, std::vector<std::wstring>* names) {
  names->clear();
  if (!path.empty() && path[0] == L'\\') return false;
  std::wstring current;
  for (wchar_t c : path) {
    if (c != L'\\') {
      current.push_back(c);
      continue;
    }
    if (!current.empty()) names->push_back(current);
    current.clear();
  }
  if (!current.empty()) names->push_back(current);
  return true;
}

SimRegistry::Key* Child(const SimRegistry::Key& key, const std::wstring& name) {
  auto it = key.subKeys.find(UpperCase(name));
  return it == key.subKeys.end() ? nullptr : it->second.get();
}

SimRegistry::Key* AddChild(SimRegistry::Key* key, const std::wstring& name) {
  auto child = std::make_unique<SimRegistry::Key>();
  child->name = name;
  child->parent = key;
  SimRegistry::Key* raw = child.get();
  key->subKeys[UpperCase(name)] = std::move(child);
  return raw;
}

void VisitKey(RegKey root, const std::wstring& path, const SimRegistry::Key& key,
              const SimRegistry::KeyVisitor& visit) {
  visit(root, path, key);
  for (const auto& [upper, child] : key.subKeys)
    VisitKey(root, path.empty() ? child->name : path + L"\\" + child->name, *child, visit);
}

struct RootEntry {
  RegKey root;
  const wchar_t* name;
  const wchar_t* shortName;
};
const RootEntry kRoots[] = {
    {kHkeyClassesRoot, L"HKEY_CLASSES_ROOT", L"HKCR"},
    {kHkeyCurrentUser, L"HKEY_CURRENT_USER", L"HKCU"},
    {kHkeyLocalMachine, L"HKEY_LOCAL_MACHINE", L"HKLM"},
    {kHkeyUsers, L"HKEY_USERS", L"HKU"},
};

}  // namespace

std::vector<std::uint8_t> DwordBytes(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

std::vector<std::uint8_t> StringBytes(const std::wstring& text) {
  const std::string bytes = text::WideToUtf16Le(text + L'\0');
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::wstring StringFromBytes(const std::vector<std::uint8_t>& data) {
  std::wstring text;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    const wchar_t unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

const wchar_t* SimRegistry::RootName(RegKey root) {
  for (const RootEntry& entry : kRoots)
    if (entry.root == root) return entry.name;
  return L"";
}

std::optional<RegKey> SimRegistry::RootFromName(const std::wstring& name) {
  for (const RootEntry& entry : kRoots)
    if (EqualsNoCase(name, entry.name) || EqualsNoCase(name, entry.shortName)) return entry.root;
  return std::nullopt;
}

std::vector<RegKey> SimRegistry::Roots() {
  std::vector<RegKey> roots;
  for (const RootEntry& entry : kRoots) roots.push_back(entry.root);
  return roots;
}

SimRegistry::SimRegistry() {
  for (const RootEntry& entry : kRoots) {
    auto key = std::make_unique<Key>();
    key->name = entry.name;
    rootHandles_[entry.root] = {key.get(), reg::AllAccess};
    roots_[entry.root] = std::move(key);
  }
}

SimRegistry::Key* SimRegistry::Root(RegKey root) const {
  auto it = roots_.find(root);
  return it == roots_.end() ? nullptr : it->second.get();
}

SimRegistry::OpenHandle* SimRegistry::Lookup(RegKey key) {
  auto root = rootHandles_.find(key);
  if (root != rootHandles_.end()) return &root->second;
  auto it = handles_.find(key);
  return it == handles_.end() ? nullptr : &it->second;
}

bool SimRegistry::IsReadOnly(const Key& key) {
  for (const Key* k = &key; k != nullptr; k = k->parent)
    if (k->readOnly) return true;
  return false;
}

Win32Error SimRegistry::Grant(Key* key, std::uint32_t access, RegKey* handle) {
  const bool readOnly = IsReadOnly(*key);
  const std::uint32_t rights = MapRights(access, readOnly);
  if (readOnly && (rights & kWriteRights)) return err::AccessDenied;
  nextHandle_ += 4;
  handles_[nextHandle_] = {key, rights};
  *handle = nextHandle_;
  return err::Success;
}

Win32Error SimRegistry::OpenKey(RegKey parent, const std::wstring& subKey, std::uint32_t access,
                                RegKey* key) {
  OpenHandle* from = Lookup(parent);
  if (from == nullptr) return err::InvalidHandle;
  std::vector<std::wstring> names;
  if (!SplitKeyPath(subKey, &names)) return simerr::BadPathname;
  Key* current = from->key;
  for (const std::wstring& name : names) {
    current = Child(*current, name);
    if (current == nullptr) return err::FileNotFound;
  }
  return Grant(current, access, key);
}

Win32Error SimRegistry::CreateKey(RegKey parent, const std::wstring& subKey, std::uint32_t access,
                                  RegKey* key, bool* created) {
  if (created != nullptr) *created = false;
  OpenHandle* from = Lookup(parent);
  if (from == nullptr) return err::InvalidHandle;
  std::vector<std::wstring> names;
  if (!SplitKeyPath(subKey, &names)) return simerr::BadPathname;
  Key* current = from->key;
  std::size_t i = 0;
  for (; i < names.size(); ++i) {
    Key* next = Child(*current, names[i]);
    if (next == nullptr) break;
    current = next;
  }
  const bool mustCreate = i < names.size();
  if (mustCreate && (!(from->rights & kCreateSubKey) || IsReadOnly(*current)))
    return err::AccessDenied;
  if (!mustCreate) return Grant(current, access, key);
  for (; i < names.size(); ++i) current = AddChild(current, names[i]);
  if (created != nullptr) *created = true;
  return Grant(current, access, key);
}

Win32Error SimRegistry::CloseKey(RegKey key) {
  if (rootHandles_.count(key) != 0) return err::Success;
  return handles_.erase(key) != 0 ? err::Success : err::InvalidHandle;
}

Win32Error SimRegistry::QueryValue(RegKey key, const std::wstring& name, std::uint32_t* type,
                                   std::vector<std::uint8_t>* data, std::uint32_t maxBytes) {
  OpenHandle* handle = Lookup(key);
  if (handle == nullptr) return err::InvalidHandle;
  if (!(handle->rights & kQueryValue)) return err::AccessDenied;
  auto it = handle->key->values.find(UpperCase(name));
  if (it == handle->key->values.end()) return err::FileNotFound;
  if (type != nullptr) *type = it->second.type;
  if (data == nullptr) return err::Success;
  data->clear();
  if (it->second.data.size() > maxBytes) return err::MoreData;
  *data = it->second.data;
  return err::Success;
}

Win32Error SimRegistry::SetValue(RegKey key, const std::wstring& name, std::uint32_t type,
                                 const std::vector<std::uint8_t>& data) {
  OpenHandle* handle = Lookup(key);
  if (handle == nullptr) return err::InvalidHandle;
  if (!(handle->rights & kSetValue) || IsReadOnly(*handle->key)) return err::AccessDenied;
  Value& value = handle->key->values[UpperCase(name)];
  if (value.name.empty()) value.name = name;
  value.type = type;
  value.data = data;
  return err::Success;
}

Win32Error SimRegistry::DeleteValue(RegKey key, const std::wstring& name) {
  OpenHandle* handle = Lookup(key);
  if (handle == nullptr) return err::InvalidHandle;
  if (!(handle->rights & kSetValue) || IsReadOnly(*handle->key)) return err::AccessDenied;
  return handle->key->values.erase(UpperCase(name)) != 0 ? err::Success : err::FileNotFound;
}

// --- Set-up and inspection.

SimRegistry::Key& SimRegistry::MakeKey(RegKey root, const std::wstring& path) {
  Key* current = Root(root);
  std::vector<std::wstring> names;
  SplitKeyPath(!path.empty() && path[0] == L'\\' ? path.substr(1) : path, &names);
  for (const std::wstring& name : names) {
    Key* next = Child(*current, name);
    current = next != nullptr ? next : AddChild(current, name);
  }
  return *current;
}

const SimRegistry::Key* SimRegistry::FindKey(RegKey root, const std::wstring& path) const {
  const Key* current = Root(root);
  std::vector<std::wstring> names;
  if (current == nullptr || !SplitKeyPath(path, &names)) return nullptr;
  for (const std::wstring& name : names) {
    current = Child(*current, name);
    if (current == nullptr) return nullptr;
  }
  return current;
}

bool SimRegistry::KeyExists(RegKey root, const std::wstring& path) const {
  return FindKey(root, path) != nullptr;
}

void SimRegistry::Put(RegKey root, const std::wstring& path, const std::wstring& name,
                      std::uint32_t type, std::vector<std::uint8_t> data) {
  Value& value = MakeKey(root, path).values[UpperCase(name)];
  if (value.name.empty()) value.name = name;
  value.type = type;
  value.data = std::move(data);
}

void SimRegistry::PutDword(RegKey root, const std::wstring& path, const std::wstring& name,
                           std::uint32_t value) {
  Put(root, path, name, reg::Dword, DwordBytes(value));
}

void SimRegistry::PutString(RegKey root, const std::wstring& path, const std::wstring& name,
                            const std::wstring& text, std::uint32_t type) {
  Put(root, path, name, type, StringBytes(text));
}

std::optional<SimRegistry::Value> SimRegistry::Get(RegKey root, const std::wstring& path,
                                                   const std::wstring& name) const {
  const Key* key = FindKey(root, path);
  if (key == nullptr) return std::nullopt;
  auto it = key->values.find(UpperCase(name));
  if (it == key->values.end()) return std::nullopt;
  return it->second;
}

std::optional<std::uint32_t> SimRegistry::GetDword(RegKey root, const std::wstring& path,
                                                   const std::wstring& name) const {
  auto value = Get(root, path, name);
  if (!value || value->type != reg::Dword || value->data.size() != 4) return std::nullopt;
  const auto& d = value->data;
  return static_cast<std::uint32_t>(d[0] | (d[1] << 8) | (d[2] << 16)) |
         (static_cast<std::uint32_t>(d[3]) << 24);
}

std::optional<std::wstring> SimRegistry::GetString(RegKey root, const std::wstring& path,
                                                   const std::wstring& name) const {
  auto value = Get(root, path, name);
  if (!value || (value->type != reg::Sz && value->type != reg::ExpandSz)) return std::nullopt;
  return StringFromBytes(value->data);
}

void SimRegistry::SetReadOnly(RegKey root, const std::wstring& path, bool readOnly) {
  MakeKey(root, path).readOnly = readOnly;
}

void SimRegistry::Clear() {
  handles_.clear();
  for (auto& [root, key] : roots_) {
    key->subKeys.clear();
    key->values.clear();
    key->readOnly = false;
  }
}

void SimRegistry::Visit(const KeyVisitor& visit) const {
  for (const auto& [root, key] : roots_) VisitKey(root, L"", *key, visit);
}

}  // namespace platform::sim
