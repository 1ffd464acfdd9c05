// The GUI entry point of Tamber4Setup.exe: keeps DLL loads out of the program's own folder,
// installs the Windows machine for the whole process and hands the module and the raw
// command line to the session.
#include <windows.h>

#include "platform/win32/DllSearchPath.h"
#include "platform/win32/Win32Machine.h"
#include "setup/session/Tamber4Setup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  platform::win32::SearchDllsInSystem32Only();
  const platform::ScopedMachine machine(platform::win32::WindowsMachine());
  return setup::TamberMain(reinterpret_cast<platform::ModuleHandle>(instance), ::GetCommandLineW());
}
