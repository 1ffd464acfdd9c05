// The permission state of one install folder: which accounts must have full control of it
// and its contents, whether its DACL already grants that, the repair of the DACL, whether its
// volume keeps ACLs at all, and whether the folder (or a file in it) is owned by the account
// that runs the program. One object serves one "validate-folder-permissions" line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Security.h"

namespace setup {

class FolderPermissions {
 public:
  // `folder` is a full path; `target`, when not empty, a file inside it, relative to it,
  // whose owner VerifyOwner checks instead of the folder's.
  FolderPermissions(std::wstring folder, std::wstring target);

  // Looks `name` up on the local system and adds the account with a false good flag. An
  // unknown name is logged and leaves the lists unchanged (false).
  bool AddUser(const std::wstring& name);
  // Whether the volume that holds the folder keeps ACLs (false also when its flags cannot
  // be read, after an Error line).
  bool ACLSSupported() const;
  // One Debug line per entry, naming the entry's account.
  static void LogAceList(const platform::AceList& aces);
  // Sets each user's good flag from the folder's DACL; true when every user is good, and
  // when the DACL cannot be read (such a folder is not repaired).
  bool VerifyUserPermissions();
  // For every user that is not good, in order: removes the user's entries, adds full
  // control for the folder and full control inherited by everything below it, and writes
  // the DACL protected from inheritance. Stops at the first failed write (false). A DACL
  // that cannot be read counts as repaired (true).
  bool ResetUserPermissions();
  // True when the checked path (the folder, or the target in it) is owned by the process's
  // user, compared by domain and account name; also true when the check cannot be made.
  bool VerifyOwner() const;

  std::size_t UserCount() const { return users_.size(); }
  bool IsGood(std::size_t user) const { return users_[user].good; }

 private:
  struct User {
    std::wstring name;           // as given to AddUser
    std::wstring qualifiedName;  // DOMAIN\account
    platform::Sid sid;
    bool good = false;
  };

  bool CheckUser(User& user, const platform::AceList& aces) const;
  // Edits `aces` for `user` and writes them; false when the write failed.
  bool RepairUser(const User& user, platform::AceList* aces) const;

  std::wstring folder_;
  std::wstring target_;
  std::vector<User> users_;
};

}  // namespace setup
