// A simulated machine with an install folder for the folder-permission tests, and the SIDs
// and entries they write DACLs from.
#pragma once

#include <string>

#include "platform/Security.h"
#include "platform/sim/SimSecurity.h"
#include "tests/unit/support/SimSessionSupport.h"

namespace permissionstest {

using platform::Ace;
using platform::AceList;
using platform::Sid;
namespace ace = platform::ace;

inline const std::wstring kFolder = L"C:\\Program Files\\Tamber4";
constexpr std::uint32_t kFull = platform::access::FileAllAccess;
constexpr std::uint32_t kGenericAll = platform::access::GenericAll;
constexpr std::uint8_t kAllowed = ace::AccessAllowed;
constexpr std::uint8_t kDenied = ace::AccessDenied;

inline Sid SidOf(const std::wstring& text) {
  Sid sid;
  platform::sim::ParseSidText(text, &sid);
  return sid;
}
inline const Sid kAdmins = SidOf(platform::sim::simsid::kAdministrators);
inline const Sid kSystem = SidOf(platform::sim::simsid::kSystem);
inline const Sid kUsers = SidOf(platform::sim::simsid::kUsers);
inline const Sid kUser = SidOf(platform::sim::simsid::kUser);

class PermissionsTest : public sessiontest::SessionTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(logging::OpenLog(0, true, true));
    sim().files().MakeFolders(kFolder);
  }
  platform::sim::SimSecurity& security() { return sim().security(); }
  AceList FolderDacl() { return security().ObjectSecurity(kFolder).dacl; }

  // The log's messages from now on: NewMessages() after Mark().
  void Mark() { mark_ = Messages().size(); }
  std::vector<std::string> NewMessages() {
    std::vector<std::string> all = Messages();
    return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(std::min(mark_, all.size())), all.end());
  }
  bool LoggedNow(const std::string& message) {
    const std::vector<std::string> lines = NewMessages();
    return std::find(lines.begin(), lines.end(), message) != lines.end();
  }
  int CountNow(const std::string& prefix) {
    int count = 0;
    for (const std::string& line : NewMessages()) count += line.rfind(prefix, 0) == 0;
    return count;
  }

 private:
  std::size_t mark_ = 0;
};

}  // namespace permissionstest
