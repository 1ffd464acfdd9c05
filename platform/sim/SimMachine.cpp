#include "platform/sim/SimMachine.h"

#include <system_error>

#include "platform/AutomaticUpdates.h"
#include "platform/sim/SimSecondInstance.h"

namespace platform::sim {
namespace {

std::filesystem::path CreatedRoot(const std::filesystem::path& root) {
  std::error_code ec;
  std::filesystem::create_directories(root, ec);
  return root;
}

}  // namespace

SimMachine::SimMachine(const std::filesystem::path& root, DriveNaming naming)
    : process_(clock_),
      objects_(process_),
      files_(process_, objects_, CreatedRoot(root), naming),
      installer_(process_, files_),
      system_(clock_, process_),
      kernel_(clock_, process_, objects_),
      resources_(process_, system_),
      shell_(files_),
      shutdown_(process_, objects_),
      security_(process_, objects_, files_),
      processes_(clock_, process_, objects_, files_, security_),
      services_(process_, security_),
      transfers_(clock_, files_, com_) {
  ui_.SetModalLoop(
      &clock_, [this] { return transfers_.NextDue(); }, [this] { transfers_.RunDue(); });
  security_.AttachProcesses(processes_);
  processes_.SetInstanceRunner([this](const std::wstring& commandLine, bool elevated) {
    return RunSecondInstance(*this, commandLine, elevated);
  });
  com_.RegisterFactory(kClsidAutomaticUpdates, [this](const Guid& iid, void** object) {
    return windowsUpdate_.Create(iid, object);
  });
  CreateDefaultFolders();
  CreateDefaultKeys();
  CreateDefaultServices();
}

void SimMachine::CreateDefaultServices() {
  for (const wchar_t* name : {L"BITS", L"wuauserv"}) services_.SetService(name, SimService());
}

void SimMachine::CreateDefaultFolders() {
  for (const auto& [csidl, path] : shell_.Folders()) files_.MakeFolders(path);
  files_.MakeFolders(files_.TempPath());
  files_.MakeFolders(ParentPath(process_.ExePath()));
}

// Keys every Windows installation has, which programs open rather than create.
void SimMachine::CreateDefaultKeys() {
  for (RegKey root : {kHkeyCurrentUser, kHkeyLocalMachine}) {
    registry_.MakeKey(root, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    registry_.MakeKey(root, L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce");
  }
}

Machine SimMachine::machine() {
  Machine m;
#define TAMBER4_SIM_SERVICE(Type, accessor) m.accessor = &accessor##_;
  TAMBER4_PLATFORM_SERVICES(TAMBER4_SIM_SERVICE)
#undef TAMBER4_SIM_SERVICE
  return m;
}

void SimMachine::SetExePath(const std::wstring& path) {
  process_.SetExePath(path);
  files_.MakeFolders(ParentPath(path));
}

void SimMachine::SetFolder(int csidl, const std::wstring& path) {
  shell_.SetFolder(csidl, path);
  if (csidl == csidl::LocalAppData) system_.SetVariable(L"LOCALAPPDATA", path);
  if (csidl == csidl::ProgramFiles) system_.SetVariable(L"ProgramFiles", path);
}

void SimMachine::SetTempPath(const std::wstring& path) {
  files_.SetTempPath(path);
  files_.MakeFolders(files_.TempPath());
  std::wstring variable = files_.TempPath();
  if (variable.size() > 3) variable.pop_back();
  system_.SetVariable(L"TEMP", variable);
  system_.SetVariable(L"TMP", variable);
}

void SimMachine::SetAdministrator(bool administrator) {
  administrator_ = administrator;
  registry_.SetReadOnly(kHkeyLocalMachine, L"", !administrator);
}

void SimMachine::PutProgram(const std::wstring& path, const SimProgram& program) {
  files_.MakeFolders(ParentPath(path));
  files_.PutFile(path, "MZ");
  processes_.SetProgram(path, program);
  programs_[path] = program;
}

}  // namespace platform::sim
