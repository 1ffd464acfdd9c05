// The download tests: a simulated machine whose transfer service runs on the virtual clock,
// the session's folders, and one download client per test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "setup/commands/downloads/BitsClient.h"
#include "setup/session/SetupState.h"
#include "tests/unit/support/SimSessionSupport.h"

namespace downloadtest {

inline const std::wstring kSource = L"C:\\Server\\files\\a.msi";
inline const std::wstring kSourceUrl = L"file://C:/Server/files/a.msi";
inline const std::wstring kTarget = L"C:\\Users\\User\\AppData\\Local\\Tamber4\\Install\\a.msi";

class DownloadTest : public sessiontest::SessionTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(logging::OpenLog(0, true, true));
    state_.targetFolder = sessiontest::kInstallFolder;
    state_.workingFolder = L"C:\\Users\\User\\Downloads\\";
    state_.isVistaOrLater = true;
    state_.isAdmin = true;
    sim().files().MakeFolders(state_.targetFolder);
  }

  platform::sim::SimTransfers& transfers() { return sim().transfers(); }

  // A source file of `bytes` bytes (a repeating pattern).
  void PutSource(const std::wstring& path, std::size_t bytes) {
    std::string content(bytes, '\0');
    for (std::size_t i = 0; i < bytes; ++i) content[i] = static_cast<char>('a' + i % 26);
    sim().PutFile(path, content);
  }

  bool Fetch(const std::wstring& uri, bool background, std::wstring* jobId = nullptr,
             bool* found = nullptr) {
    std::wstring noJob;
    bool notFound = false;
    return client_.Download(uri, L"Package A", kTarget, background, jobId ? jobId : &noJob,
                            found ? found : &notFound);
  }

  setup::SetupState state_;
  setup::BitsClient client_;
};

}  // namespace downloadtest
