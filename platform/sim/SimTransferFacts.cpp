#include "platform/sim/SimTransferFacts.h"

#include <vector>

#include "platform/sim/SimFactFields.h"
#include "platform/sim/SimRegistryText.h"
#include "platform/sim/SimText.h"

namespace platform::sim {
namespace {

constexpr std::size_t kJobFields = 11;

bool ParseNumber(const std::wstring& text, std::uint64_t* value) {
  if (text.empty()) return false;
  *value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    *value = *value * 10 + static_cast<std::uint64_t>(c - L'0');
  }
  return true;
}

bool ApplyJob(SimTransfers& transfers, const std::vector<std::wstring>& f) {
  if (f.size() != kJobFields) return false;
  SimJobRecord job;
  std::uint32_t state = 0, priority = 0, retry = 0, code = 0, context = 0;
  if (!GuidFromString(f[0], &job.id) || !ParseFactCode(f[1], &state) || state > bits::Cancelled ||
      !ParseFactCode(f[2], &priority) || !ParseFactCode(f[3], &retry) ||
      !ParseNumber(f[4], &job.bytesTransferred) || !ParseFactCode(f[6], &code) ||
      !ParseFactCode(f[7], &context))
    return false;
  if (f[5] == L"unknown") job.bytesTotal = bits::SizeUnknown;
  else if (!ParseNumber(f[5], &job.bytesTotal)) return false;
  job.state = state;
  job.priority = priority;
  job.minimumRetryDelay = retry;
  job.errorCode = static_cast<HResult>(code);
  job.errorContext = context;
  job.displayName = f[8];
  job.remoteUrl = f[9];
  job.localName = f[10];
  transfers.AddJob(job);
  return true;
}

std::wstring JobText(const SimJobRecord& job) {
  const std::wstring total =
      job.bytesTotal == bits::SizeUnknown ? L"unknown" : std::to_wstring(job.bytesTotal);
  return GuidToString(job.id) + L"|" + std::to_wstring(job.state) + L"|" +
         std::to_wstring(job.priority) + L"|" + std::to_wstring(job.minimumRetryDelay) + L"|" +
         std::to_wstring(job.bytesTransferred) + L"|" + total + L"|" +
         FactCode(static_cast<std::uint32_t>(job.errorCode), true) + L"|" +
         std::to_wstring(job.errorContext) + L"|" + job.displayName + L"|" + job.remoteUrl + L"|" +
         job.localName;
}

}  // namespace

bool ApplyTransferFact(SimTransfers& transfers, const std::string& key, const std::string& value) {
  std::wstring text;
  if (!UnescapeField(value, &text)) return false;
  const std::vector<std::wstring> f = FactFields(text);
  std::uint32_t code = 0;
  if (key == "bits-service") {
    if (text == L"enabled") transfers.SetCreateResult(hr::Ok);
    else if (text == L"disabled") transfers.SetCreateResult(bits::ServiceDisabled);
    else if (ParseFactCode(text, &code)) transfers.SetCreateResult(static_cast<HResult>(code));
    else return false;
    return true;
  }
  if (key == "transfer-rate" || key == "transfer-notifications") {
    if (!ParseFactCode(text, &code)) return false;
    if (key == "transfer-rate") transfers.SetBytesPerSecond(code);
    else transfers.SetDeliveredNotifications(code);
    return true;
  }
  if (key == "transfer-fails") {
    std::uint32_t context = 0;
    if (f.size() != 3 || f[0].empty() || !ParseFactCode(f[1], &code) || !ParseFactCode(f[2], &context))
      return false;
    transfers.AddFailure({f[0], static_cast<HResult>(code), context});
    return true;
  }
  if (key == "web-file") {
    if (f.size() != 2 || f[0].empty() || f[1].empty()) return false;
    transfers.AddWebFile({f[0], f[1]});
    return true;
  }
  if (key == "network") {
    if (text != L"real" && text != L"offline") return false;
    transfers.SetOffline(text == L"offline");
    return true;
  }
  if (key == "transfer-job") return ApplyJob(transfers, f);
  return false;
}

std::string TransferFactsText(SimTransfers& transfers) {
  std::string out;
  if (transfers.CreateResult() != hr::Ok)
    out += FactLine("bits-service", FactCode(static_cast<std::uint32_t>(transfers.CreateResult()), true));
  out += FactLine("transfer-rate", std::to_wstring(transfers.BytesPerSecond()));
  out += FactLine("transfer-notifications", FactCode(transfers.DeliveredNotifications(), true));
  for (const SimTransferFailure& f : transfers.Failures())
    out += FactLine("transfer-fails", f.remoteUrl + L"|" +
                                          FactCode(static_cast<std::uint32_t>(f.code), true) + L"|" +
                                          std::to_wstring(f.context));
  if (transfers.Offline()) out += FactLine("network", L"offline");
  for (const SimWebFile& file : transfers.WebFiles())
    out += FactLine("web-file", file.address + L"|" + file.path);
  for (const SimJobRecord& job : transfers.Jobs()) out += FactLine("transfer-job", JobText(job));
  return out;
}

}  // namespace platform::sim
