// Shell folders through SHGetFolderPathW found at run time.
#include <windows.h>

#include "Probe.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Shell.h"

namespace probe {
namespace {

void ProbeFolder(const char* label, int csidl) {
  std::wstring path;
  const platform::HResult result = platform::shell().FolderPath(csidl, &path);
  const std::uint32_t attributes = platform::files().Attributes(path);
  Check(std::string("shell: FolderPath of ") + label,
        result == platform::hr::Ok && !path.empty() && path.back() != L'\\' &&
            attributes != platform::file::InvalidAttributes &&
            (attributes & platform::file::AttributeDirectory) != 0,
        Hex(static_cast<std::uint32_t>(result)) + L" " + path);
}

}  // namespace

void ProbeShell() {
  auto& shell = platform::shell();
  if (!Check("shell: HasFolderPathFunction", shell.HasFolderPathFunction())) return;
  ProbeFolder("Documents", platform::csidl::Personal);
  ProbeFolder("LocalAppData", platform::csidl::LocalAppData);
  ProbeFolder("System", platform::csidl::System);
  ProbeFolder("ProgramFiles", platform::csidl::ProgramFiles);
  std::wstring path = L"stale";
  const platform::HResult result = shell.FolderPath(0x7F, &path);
  Check("shell: FolderPath of an unknown folder number fails with no path",
        platform::hr::Failed(result) && path.empty(), Hex(static_cast<std::uint32_t>(result)));
}

}  // namespace probe
