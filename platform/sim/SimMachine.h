// A whole simulated Windows machine for the unit tests and tamber4sim: one object per
// service of platform/Machine.h, sharing one state (file system on a host folder, registry,
// clock, last error), with set-up and inspection methods for tests.
//
//   platform::sim::SimMachine m(tempRoot);            // drive C is tempRoot/C
//   platform::ScopedMachine guard(m.machine());
//   m.registry().PutDword(platform::kHkeyCurrentUser, L"Software\\Tamber4\\Logging",
//                         L"Enabled", 1);
//
// A new machine is Windows 10 x64 (10.0.19045) in US English, with an administrator "User"
// whose folders are C:\Users\User\Documents, C:\Users\User\AppData\Local (temporary folder
// C:\Users\User\AppData\Local\Temp\), C:\Program Files and C:\Windows\System32, all present
// on the disk, and the executable C:\Users\User\Downloads\Tamber4Setup.exe; its services
// BITS and wuauserv start on demand, and Windows Update's Automatic Updates object is there.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Machine.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimCom.h"
#include "platform/sim/SimFiles.h"
#include "platform/sim/SimInstaller.h"
#include "platform/sim/SimKernelObjects.h"
#include "platform/sim/SimObjects.h"
#include "platform/sim/SimProcess.h"
#include "platform/sim/SimProcesses.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimResources.h"
#include "platform/sim/SimSecurity.h"
#include "platform/sim/SimServiceControl.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimShutdown.h"
#include "platform/sim/SimSystemInfo.h"
#include "platform/sim/SimTransfers.h"
#include "platform/sim/SimUserInterface.h"
#include "platform/sim/SimWindowsUpdate.h"

namespace platform::sim {

class SimMachine {
 public:
  // A default machine whose drives live under `root` (drive C in root/C, or root/drive_c
  // with DriveNaming::Wine). The root is created when missing.
  explicit SimMachine(const std::filesystem::path& root, DriveNaming naming = DriveNaming::Letter);
  SimMachine(const SimMachine&) = delete;
  SimMachine& operator=(const SimMachine&) = delete;

  // The machine folder of tamber4sim (format in SimMachineFolder.cpp): loads the machine
  // kept in `folder`, or makes a default one when the folder or its files are missing.
  // Null with a message in *error when a file cannot be read.
  static std::unique_ptr<SimMachine> Load(const std::filesystem::path& folder, std::string* error);
  // Writes machine.txt and registry.txt into `folder`, and the drives when the machine
  // does not already live there. False with a message in *error on failure.
  bool Save(const std::filesystem::path& folder, std::string* error);

  // The service pointers, for platform::ScopedMachine.
  Machine machine();

  SimClock& clock() { return clock_; }
  SimProcess& process() { return process_; }
  SimObjectTable& objects() { return objects_; }
  SimFiles& files() { return files_; }
  SimInstaller& installer() { return installer_; }
  SimRegistry& registry() { return registry_; }
  SimSystemInfo& system() { return system_; }
  SimKernelObjects& kernel() { return kernel_; }
  SimResources& resources() { return resources_; }
  SimShell& shell() { return shell_; }
  SimShutdown& shutdown() { return shutdown_; }
  SimUserInterface& ui() { return ui_; }
  SimCom& com() { return com_; }
  SimSecurity& security() { return security_; }
  SimProcesses& processes() { return processes_; }
  SimServiceControl& services() { return services_; }
  SimWindowsUpdate& windowsUpdate() { return windowsUpdate_; }
  SimTransfers& transfers() { return transfers_; }
  const SimFiles& files() const { return files_; }
  const SimRegistry& registry() const { return registry_; }

  // --- Set-up shortcuts that keep related facts together.
  void SetRelease(WindowsRelease release) { system_.SetRelease(release); }
  // The user's UI language, the system's UI language and the user's locale, all at once.
  void SetLanguage(LangId language) { system_.SetLanguages(language, language, language); }
  // The executable's path; its folder is created.
  void SetExePath(const std::wstring& path);
  // A special folder, created, with the environment variable that names it.
  void SetFolder(int csidl, const std::wstring& path);
  // The temporary folder (GetTempPathW, TEMP and TMP), created.
  void SetTempPath(const std::wstring& path);
  // A user who is not an administrator cannot write below HKEY_LOCAL_MACHINE.
  void SetAdministrator(bool administrator);
  bool IsAdministrator() const { return administrator_; }
  // Whether the clock started at the host's time (machine folders without a fixed time).
  void SetHostClock(bool hostClock) { hostClock_ = hostClock; }
  bool UsesHostClock() const { return hostClock_; }

  // --- Files and boxes, for tests.
  void PutFile(const std::wstring& path, std::string_view bytes) { files_.PutFile(path, bytes); }
  std::optional<std::string> FileBytes(const std::wstring& path) const {
    return files_.FileBytes(path);
  }
  void QueueAnswer(int answer) { ui_.QueueAnswer(answer); }
  // A program on the disk (its file is created) and what it does when it runs.
  void PutProgram(const std::wstring& path, const SimProgram& program);
  // The programs put so far, by their path as given, for the machine folder to keep.
  const std::map<std::wstring, SimProgram>& Programs() const { return programs_; }
  const std::vector<ShownBox>& Boxes() const { return ui_.Boxes(); }

 private:
  void CreateDefaultFolders();
  void CreateDefaultKeys();
  void CreateDefaultServices();

  SimClock clock_;
  SimProcess process_;
  // Before the services: the objects of their handles outlive them.
  SimObjectTable objects_;
  SimFiles files_;
  SimInstaller installer_;
  SimRegistry registry_;
  SimSystemInfo system_;
  SimKernelObjects kernel_;
  SimResources resources_;
  SimShell shell_;
  SimShutdown shutdown_;
  SimUserInterface ui_;
  SimCom com_;
  SimSecurity security_;
  SimProcesses processes_;
  SimServiceControl services_;
  SimWindowsUpdate windowsUpdate_;
  SimTransfers transfers_;
  std::map<std::wstring, SimProgram> programs_;
  bool administrator_ = true;
  bool hostClock_ = false;
};

}  // namespace platform::sim
