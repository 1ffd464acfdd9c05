// The transfer service in tamber4sim's machine folder: its settings and jobs come back after
// a save, so a background job started by one run is found by the next; bad lines are refused.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTempFolder.h"
#include "platform/sim/SimTransferFacts.h"

namespace {

using platform::sim::SimMachine;
namespace bits = platform::bits;

TEST(SimTransferFacts, SettingsAndJobsSurviveTheMachineFolder) {
  platform::sim::SimTempFolder folder;
  const auto path = folder.path() / "machine";
  platform::Guid id;
  {
    std::string error;
    auto m = SimMachine::Load(path, &error);
    ASSERT_TRUE(m) << error;
    m->transfers().SetBytesPerSecond(1000);
    m->transfers().SetDeliveredNotifications(bits::NotifyJobTransferred);
    m->transfers().SetCreateResult(bits::ServiceDisabled);
    m->transfers().AddFailure({L"http://host/a.msi", bits::HttpError404, 5});
    m->transfers().AddWebFile({L"http://host/files/", L"C:\\Web"});
    m->transfers().SetOffline(true);
    ASSERT_EQ(m->transfers().CreateJobRecord(L"Package A", &id), 0);
    platform::sim::SimJobRecord* job = m->transfers().FindJob(id);
    job->remoteUrl = L"http://host/b.msi";
    job->localName = L"C:\\b.msi";
    job->state = bits::Transferring;
    job->priority = bits::PriorityNormal;
    ASSERT_TRUE(m->Save(path, &error)) << error;
  }
  std::string error;
  auto again = SimMachine::Load(path, &error);
  ASSERT_TRUE(again) << error;
  auto& t = again->transfers();
  EXPECT_EQ(t.BytesPerSecond(), 1000u);
  EXPECT_EQ(t.DeliveredNotifications(), bits::NotifyJobTransferred);
  EXPECT_EQ(t.CreateResult(), bits::ServiceDisabled);
  ASSERT_EQ(t.Failures().size(), 1u);
  EXPECT_EQ(t.Failures()[0].code, bits::HttpError404);
  ASSERT_EQ(t.WebFiles().size(), 1u);
  EXPECT_EQ(t.WebFiles()[0].path, L"C:\\Web");
  EXPECT_TRUE(t.Offline());
  const platform::sim::SimJobRecord* job = t.FindJob(id);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->displayName, L"Package A");
  EXPECT_EQ(job->remoteUrl, L"http://host/b.msi");
  EXPECT_EQ(job->localName, L"C:\\b.msi");
  // The service went on while no process watched: the transfer starts again.
  EXPECT_EQ(job->state, bits::Connecting);
}

TEST(SimTransferFacts, BadLinesAreRefused) {
  platform::sim::SimTempFolder folder;
  std::string error;
  auto m = SimMachine::Load(folder.path() / "m", &error);
  ASSERT_TRUE(m);
  const std::pair<const char*, const char*> bad[] = {
      {"bits-service", "sometimes"},
      {"transfer-rate", "fast"},
      {"transfer-fails", "http://a|404"},
      {"web-file", "http://a/b.msi"},
      {"network", "sometimes"},
      {"transfer-job", "{not-a-guid}|0|2|60|0|unknown|0x0|0|A|http://a|C:\\a"},
      {"transfer-job", "{01234567-89AB-CDEF-0123-456789ABCDEF}|9|2|60|0|unknown|0x0|0|A|http://a|C:\\a"},
  };
  for (const auto& [key, value] : bad)
    EXPECT_FALSE(platform::sim::ApplyTransferFact(m->transfers(), key, value)) << key << " = " << value;
  EXPECT_TRUE(platform::sim::ApplyTransferFact(
      m->transfers(), "transfer-job", "{01234567-89AB-CDEF-0123-456789ABCDEF}|6|2|60|10|10|0x0|0|A|http://a|C:\\a"));
  EXPECT_FALSE(platform::sim::ApplyTransferFact(m->transfers(), "box-answer", "yes"));
}

}  // namespace
