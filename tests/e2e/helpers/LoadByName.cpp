// LoadByName: with no argument it only starts and ends, which shows what the system loads
// for a program importing the same system DLLs as Tamber4Setup.exe; given DLL names it loads
// each by bare name (the unsafe way) and ends with the number that did not load.
#include <windows.h>

#include <shellapi.h>

namespace {

// One function of each DLL that Tamber4Setup.exe imports, so this program imports them too.
void* volatile imported[] = {
    reinterpret_cast<void*>(&::RegCloseKey), reinterpret_cast<void*>(&::ShellExecuteExW),
    reinterpret_cast<void*>(&::MessageBoxW)};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int missing = imported[0] == nullptr ? 1 : 0;
  for (int i = 1; i < argc; ++i)
    if (::LoadLibraryW(argv[i]) == nullptr) ++missing;
  return missing;
}
