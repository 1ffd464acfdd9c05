// Windows services and Windows Update: StartWindowsService against the simulated Service
// Control Manager, the command's abort and box, and the Windows Update commands in whole
// sessions.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ServiceControl.h"
#include "setup/commands/services/ServiceCommands.h"
#include "setup/session/Tamber4Setup.h"
#include "tests/unit/support/SimSessionSupport.h"

namespace {

using platform::sim::SimMachine;
using platform::sim::SimService;
namespace svc = platform::svc;

const std::wstring kScript = L"C:\\Users\\User\\Downloads\\s.crvdat";

class ServiceCommands : public sessiontest::SessionTest {
 protected:
  void SetUp() override { ASSERT_TRUE(logging::OpenLog(0, true, true)); }

  std::vector<std::string> NewMessages() {
    std::vector<std::string> all = Messages();
    std::vector<std::string> fresh(all.begin() + static_cast<std::ptrdiff_t>(seen_), all.end());
    seen_ = all.size();
    return fresh;
  }

  // A whole session on `lines`; returns its exit status.
  int RunSession(const std::vector<std::wstring>& lines) {
    PutScript(kScript, lines);
    const int status = setup::TamberMain(0, L"\"" + sessiontest::kExe + L"\" " + kScript);
    logging::ResetLogForTesting();
    return status;
  }
  std::vector<std::wstring> WorkingCopyResults() { return Results(sessiontest::kInstallFolder + L"s.crvdat"); }

  std::size_t seen_ = 0;
};

SimService StartingAs(std::uint32_t startType) {
  SimService service;
  service.startType = startType;
  return service;
}

TEST_F(ServiceCommands, StartWindowsServiceEnablesOnlyADisabledService) {
  struct Case {
    const char* what;
    std::wstring name;
    std::uint32_t startType;  // of the service "Spooler"
    bool elevated;
    std::function<void(SimMachine&)> fail;
    bool started;
    std::uint32_t startTypeAfter;
    std::vector<std::string> log;  // after the "Querying" line
  };
  const Case cases[] = {
      {"demand start: no change", L"Spooler", svc::DemandStart, true, nullptr, true, svc::DemandStart,
       {"Info\tStartWindowsService\tService 'Spooler' configuration is 3."}},
      {"automatic start: no change", L"spooler", svc::AutoStart, true, nullptr, true, svc::AutoStart,
       {"Info\tStartWindowsService\tService 'spooler' configuration is 2."}},
      {"disabled, with administrator rights: now on demand", L"Spooler", svc::Disabled, true, nullptr,
       true, svc::DemandStart,
       {"Warning\tStartWindowsService\tThe 'Spooler' service is disabled (SERVICE_DISABLED), setting "
        "to enabled (SERVICE_DEMAND_START)."}},
      {"disabled, without administrator rights: access denied", L"Spooler", svc::Disabled, false,
       nullptr, false, svc::Disabled,
       {"Error\tStartWindowsService\tFailed to open the service 'Spooler'. Get last error returns 0x5."}},
      {"an unknown service", L"NoSuchService", svc::Disabled, true, nullptr, false, svc::Disabled,
       {"Error\tStartWindowsService\tFailed to open the service 'NoSuchService'. Get last error "
        "returns 0x424."}},
      {"the manager cannot be opened", L"Spooler", svc::Disabled, true,
       [](SimMachine& m) { m.services().FailOpenManager(platform::err::AccessDenied); }, false,
       svc::Disabled,
       {"Error\tStartWindowsService\tFailed to open the Service Control Manager. Get last error "
        "returns 0x5."}},
      {"the configuration cannot be read", L"Spooler", svc::Disabled, true,
       [](SimMachine& m) { m.services().FailQueryConfig(platform::err::InsufficientBuffer); }, false,
       svc::Disabled,
       {"Error\tStartWindowsService\tFailed to query the service configuration. Get last error "
        "returns 0x7A."}},
      {"the change is refused", L"Spooler", svc::Disabled, true,
       [](SimMachine& m) { m.services().FailChangeConfig(1072); }, false, svc::Disabled,
       {"Warning\tStartWindowsService\tThe 'Spooler' service is disabled (SERVICE_DISABLED), setting "
        "to enabled (SERVICE_DEMAND_START).",
        "Error\tStartWindowsService\tFailed to change the service configuration. Get last error "
        "returns 0x430."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimService before = StartingAs(c.startType);
    before.errorControl = 0;
    sim().services().SetService(L"Spooler", before);
    sim().security().SetElevated(c.elevated);
    if (c.fail) c.fail(sim());
    NewMessages();
    EXPECT_EQ(setup::StartWindowsService(c.name), c.started);
    std::vector<std::string> expected{"Info\tStartWindowsService\tQuerying the configuration of the '" +
                                      std::string(c.name.begin(), c.name.end()) + "' Windows Service ..."};
    expected.insert(expected.end(), c.log.begin(), c.log.end());
    EXPECT_EQ(NewMessages(), expected);
    const SimService* after = sim().services().Service(L"Spooler");
    EXPECT_EQ(after->startType, c.startTypeAfter);
    EXPECT_EQ(after->serviceType, before.serviceType);  // the other settings stay
    EXPECT_EQ(after->errorControl, 0u);
    EXPECT_EQ(sim().services().OpenHandleCount(), 0u);
  }
}

TEST_F(ServiceCommands, AFailureAbortsOnlyWhenAskedAndShowsTheBoxOnlyWithAMessage) {
  sim().services().SetService(L"Spooler", StartingAs(svc::Disabled));
  struct Case {
    std::wstring line;
    bool elevated;
    std::wstring result;
    bool abort;
    bool box;
  };
  const Case cases[] = {
      {L"start-windows-service|name=Spooler|abort-on-failure=yes|title=T|message=M|icon=error",
       false, L"failure", true, true},
      {L"start-windows-service|name=Spooler|abort-on-failure=yes", false, L"failure", true, false},
      {L"start-windows-service|name=Spooler|abort-on-failure=Yes|message=M", false, L"success", false, false},
      {L"start-windows-service|name=Spooler|message=M", false, L"success", false, false},
      {L"start-windows-service|name=BITS|abort-on-failure=yes|message=M", true, L"success", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line.begin(), c.line.end()));
    sim().security().SetElevated(c.elevated);
    setup::SetupState state;
    setup::CommandParameters line;
    line.Parse(c.line);
    const std::size_t boxes = sim().Boxes().size();
    setup::RunCommandStartWindowsService(state, line);
    EXPECT_EQ(line.Result(), c.result);
    EXPECT_EQ(state.abortRequested, c.abort);
    ASSERT_EQ(sim().Boxes().size(), boxes + (c.box ? 1 : 0));
    if (c.box) {
      EXPECT_EQ(sim().Boxes().back().request.title, L"T");
      EXPECT_EQ(sim().Boxes().back().request.text, L"M");
    }
  }
}

TEST_F(ServiceCommands, AServiceStartInAnElevatedSectionRunsInTheElevatedInstance) {
  sim().services().SetService(L"Spooler", StartingAs(svc::Disabled));
  EXPECT_EQ(RunSession({L"requires-elevation", L"start-windows-service|name=Spooler|abort-on-failure=yes",
                        L"end-elevation"}),
            0);
  EXPECT_EQ(sim().services().Service(L"Spooler")->startType, svc::DemandStart);
  EXPECT_EQ(WorkingCopyResults(), (std::vector<std::wstring>{L"success", L"success", L"success"}));
}

TEST_F(ServiceCommands, WindowsUpdateIsPausedAndResumedWithinOneRun) {
  struct Case {
    const char* what;
    std::vector<std::wstring> lines;
    std::function<void(SimMachine&)> arrange;
    int pauses, resumes;
    bool pausedAfter;
    std::vector<std::string> log;  // the Windows Update lines, in order
  };
  const std::string created = "Info\tPause\tCreating Automatic Updates object.";
  const std::string pausing = "Info\tPause\tCalling Pause on Automatic Updates object.";
  const std::string resuming =
      "Info\tRunCommandWindowsUpdateResume\tSystem restart not flagged, resuming Windows Update's "
      "Automatic Updates.";
  const Case cases[] = {
      {"pause, then resume", {L"windows-update-pause", L"windows-update-resume"}, nullptr, 1, 1, false,
       {created, pausing, resuming}},
      {"resume without a pause", {L"windows-update-resume"}, nullptr, 0, 0, false,
       {resuming,
        "Error\tResume\tResume called before Pause, Automatic Updates object not created, not resuming."}},
      {"a second pause reuses the object", {L"windows-update-pause", L"windows-update-pause"}, nullptr,
       2, 0, true, {created, pausing, pausing}},
      {"failures of Pause and Resume are logged",
       {L"windows-update-pause", L"windows-update-resume"},
       [](SimMachine& m) {
         m.windowsUpdate().SetPauseResult(static_cast<platform::HResult>(0x80240016u));
         m.windowsUpdate().SetResumeResult(platform::hr::Fail);
       },
       1, 1, false,
       {created, pausing, "Error\tPause\tPause returned unexpected error code 0x80240016.", resuming,
        "Error\tResume\tResume returned unexpected error code 0x80004005."}},
      {"a flagged restart keeps Automatic Updates paused",
       {L"windows-update-pause", L"execute|program=C:\\Tools\\t.exe|reboot-on-exit-code=3010",
        L"windows-update-resume"},
       [](SimMachine& m) { m.PutProgram(L"C:\\Tools\\t.exe", {3010}); }, 1, 0, true,
       {created, pausing,
        "Info\tRunCommandWindowsUpdateResume\tSystem restart flagged, not resuming Windows Update's "
        "Automatic Updates system (it will resume automatically after the restart.)"}},
  };
  platform::sim::SimWindowsUpdate& windowsUpdate = sim().windowsUpdate();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    windowsUpdate.SetPaused(false);
    windowsUpdate.SetPauseResult(platform::hr::Ok);
    windowsUpdate.SetResumeResult(platform::hr::Ok);
    if (c.arrange) c.arrange(sim());
    const int pauses = windowsUpdate.state().pauseCalls;
    const int resumes = windowsUpdate.state().resumeCalls;
    EXPECT_EQ(RunSession(c.lines), 0);
    EXPECT_EQ(windowsUpdate.state().pauseCalls - pauses, c.pauses);
    EXPECT_EQ(windowsUpdate.state().resumeCalls - resumes, c.resumes);
    EXPECT_EQ(windowsUpdate.state().paused, c.pausedAfter);
    EXPECT_EQ(windowsUpdate.state().liveObjects, 0);  // released when the run ended
    EXPECT_EQ(WorkingCopyResults(), std::vector<std::wstring>(c.lines.size(), L"success"));
    std::vector<std::string> log;
    for (const std::string& message : Messages())  // each session starts its own log
      if (message.find("\tPause\t") != std::string::npos || message.find("\tResume\t") != std::string::npos ||
          message.find("WindowsUpdateResume") != std::string::npos)
        log.push_back(message);
    EXPECT_EQ(log, c.log);
  }
}

TEST_F(ServiceCommands, AnAutomaticUpdatesObjectThatCannotBeMadeEndsTheRunInOrder) {
  sim().windowsUpdate().SetCreationResult(static_cast<platform::HResult>(0x80070422u));
  EXPECT_EQ(RunSession({L"write-registry-dword|registry-path=Software\\T|registry-value-name=A|registry-value-data=1",
                        L"windows-update-pause", L"write-registry-dword|registry-path=Software\\T|"
                        L"registry-value-name=B|registry-value-data=1"}),
            2);
  // The line before ran, the pause line is left to run again, the line after never ran.
  EXPECT_EQ(WorkingCopyResults(), (std::vector<std::wstring>{L"success", L"", L""}));
  EXPECT_EQ(sim().windowsUpdate().state().pauseCalls, 0);
  const std::vector<std::string> log = Messages();
  EXPECT_NE(std::find(log.begin(), log.end(), "Info\tPause\tCreating Automatic Updates object."), log.end());
  EXPECT_NE(std::find_if(log.begin(), log.end(), [](const std::string& m) {
              return m.rfind("Error\tIssueError\tIssuing exception 0x80070422: ", 0) == 0;
            }),
            log.end());
  EXPECT_TRUE(Logged("Info\tModule\tTerminating module, return code 2."));
}

TEST_F(ServiceCommands, AWaitOfSecondsThatAreNotPositiveEndsTheRunInOrder) {
  EXPECT_EQ(RunSession({L"wait|seconds=1", L"wait|seconds=0", L"wait|seconds=1"}), 2);
  EXPECT_EQ(WorkingCopyResults(), (std::vector<std::wstring>{L"success", L"", L""}));
  EXPECT_EQ(sim().process().SleptMilliseconds(), 1000u);
}

}  // namespace
