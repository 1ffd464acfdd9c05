// The machine as a whole: its services installed process-wide, the executable's facts, the
// shell's folders, message boxes and COM.
#include <gtest/gtest.h>

#include "platform/Com.h"
#include "platform/CurrentProcess.h"
#include "platform/Shell.h"
#include "platform/UserInterface.h"
#include "platform/sim/SimTestSupport.h"

namespace {

namespace hr = platform::hr;
namespace mb = platform::mb;

class SimMachineTest : public platform::sim::SimMachineTest {};

TEST_F(SimMachineTest, TheGuardInstallsEveryService) {
  const platform::Machine& current = platform::Current();
  const platform::Machine mine = sim().machine();
  EXPECT_EQ(current.files, mine.files);
  EXPECT_EQ(current.registry, mine.registry);
  EXPECT_EQ(current.ui, mine.ui);
  for (const void* service : {static_cast<const void*>(current.com), static_cast<const void*>(current.process),
                              static_cast<const void*>(current.kernel), static_cast<const void*>(current.resources),
                              static_cast<const void*>(current.shell), static_cast<const void*>(current.system)})
    EXPECT_NE(service, nullptr);
}

TEST_F(SimMachineTest, ModuleFileNameTruncatesLikeWindows) {
  auto& process = platform::process();
  std::wstring path;
  ASSERT_TRUE(process.ModuleFileName(0, 260, &path));
  EXPECT_EQ(path, L"C:\\Users\\User\\Downloads\\Tamber4Setup.exe");
  ASSERT_TRUE(process.ModuleFileName(process.ExecutableModule(), 4, &path));
  EXPECT_EQ(path, L"C:\\");
  EXPECT_EQ(process.LastError(), platform::err::InsufficientBuffer);
  EXPECT_FALSE(process.ModuleFileName(0x1234, 260, &path));

  sim().SetExePath(L"E:\\Disc\\Tamber4Setup.exe");
  ASSERT_TRUE(process.ModuleFileName(0, 260, &path));
  EXPECT_EQ(path, L"E:\\Disc\\Tamber4Setup.exe");
  EXPECT_NE(platform::files().Attributes(L"E:\\Disc"), platform::file::InvalidAttributes);

  EXPECT_FALSE(process.WorkingSetBytes().has_value());  // not looked up yet
  ASSERT_TRUE(process.LoadMemoryInfo());
  EXPECT_EQ(process.WorkingSetBytes(), 8u * 1024 * 1024);
  sim().process().SetMemoryInfo(false, 1);
  EXPECT_FALSE(process.LoadMemoryInfo());
  EXPECT_FALSE(process.WorkingSetBytes().has_value());
}

TEST_F(SimMachineTest, ShellFoldersAndTheirFailures) {
  auto& shell = platform::shell();
  std::wstring path;
  EXPECT_TRUE(shell.HasFolderPathFunction());
  EXPECT_EQ(shell.FolderPath(platform::csidl::LocalAppData | 0x8000, &path), hr::Ok);
  EXPECT_EQ(path, L"C:\\Users\\User\\AppData\\Local");
  EXPECT_EQ(shell.FolderPath(0x2A, &path), hr::InvalidArg);

  sim().shell().SetFolderPathFailure(platform::csidl::Personal, hr::Fail);
  EXPECT_EQ(shell.FolderPath(platform::csidl::Personal, &path), hr::Fail);
  EXPECT_TRUE(path.empty());
  sim().shell().SetFolderPathFailure(platform::csidl::Personal, hr::Ok);
  EXPECT_EQ(shell.FolderPath(platform::csidl::Personal, &path), hr::Ok);

  // A folder that the profile lacks on the disk is not given out.
  sim().shell().SetFolder(platform::csidl::System, L"C:\\Windows\\System32");
  std::filesystem::remove_all(sim().files().HostPath(L"C:\\Windows"));
  EXPECT_EQ(shell.FolderPath(platform::csidl::System, &path), hr::Fail);
}

TEST_F(SimMachineTest, BoxesAreAnsweredFromTheQueueThenByDefault) {
  platform::MessageBoxRequest question{L"Tamber 4 Setup", L"Restart now?",
                                       mb::YesNo | mb::UserIcon, 129};
  platform::MessageBoxRequest notice{L"T", L"Done", mb::UserIcon, 129};
  sim().QueueAnswer(mb::IdYes);
  EXPECT_EQ(platform::ui().ShowMessageBox(question), mb::IdYes);
  EXPECT_EQ(platform::ui().ShowMessageBox(question), mb::IdNo);
  EXPECT_EQ(platform::ui().ShowMessageBox(notice), mb::IdOk);
  ASSERT_EQ(sim().Boxes().size(), 3u);
  EXPECT_FALSE(sim().Boxes()[0].defaulted);
  EXPECT_TRUE(sim().Boxes()[1].defaulted);
  EXPECT_EQ(sim().Boxes()[1].request.text, L"Restart now?");
  EXPECT_EQ(sim().Boxes()[2].request.style, mb::UserIcon);
}

TEST_F(SimMachineTest, ComCountsInitialisationAndHandsOutErrorInfoOnce) {
  auto& com = platform::com();
  const platform::Guid clsid{0x4991D34B, 0x80A1, 0x4291, {0x83, 0xB6, 0x33, 0x28, 0x36, 0x6B, 0x90, 0x97}};
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(com.CreateInstance(clsid, 4, platform::Guid{}, &object),
            static_cast<platform::HResult>(0x800401F0u));  // CO_E_NOTINITIALIZED
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(com.Initialize(), hr::Ok);
  EXPECT_EQ(com.Initialize(), hr::False);
  EXPECT_EQ(com.CreateInstance(clsid, 4, platform::Guid{}, &object),
            static_cast<platform::HResult>(0x80040154u));  // REGDB_E_CLASSNOTREG
  static int made = 0;
  sim().com().RegisterFactory(clsid, [](const platform::Guid&, void** out) {
    *out = &made;
    return hr::Ok;
  });
  EXPECT_EQ(com.CreateInstance(clsid, 4, platform::Guid{}, &object), hr::Ok);
  EXPECT_EQ(object, &made);
  com.Uninitialize();
  com.Uninitialize();
  EXPECT_FALSE(sim().com().IsInitialized());

  EXPECT_EQ(com.TakeErrorInfo(), nullptr);
  sim().com().SetErrorInfo(L"The job failed.", L"BITS", platform::Guid{});
  auto info = com.TakeErrorInfo();
  ASSERT_NE(info, nullptr);
  std::wstring text;
  EXPECT_TRUE(info->Description(&text));
  EXPECT_EQ(text, L"The job failed.");
  EXPECT_EQ(com.TakeErrorInfo(), nullptr);
}

}  // namespace
