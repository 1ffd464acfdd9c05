// COM in the simulated machine: apartment initialisation counted, error information set by
// tests, and objects created by factories that tests register per class id.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Com.h"

namespace platform::sim {

class SimCom : public Com {
 public:
  // Creates an object for an interface id: S_OK with *object set, or a failure.
  using Factory = std::function<HResult(const Guid& iid, void** object)>;

  // S_OK the first time, S_FALSE when the thread is already initialised (both count and
  // need an Uninitialize); an injected failure does not count.
  HResult Initialize() override;
  void Uninitialize() override;
  std::shared_ptr<ErrorInfo> TakeErrorInfo() override;
  // CO_E_NOTINITIALIZED before Initialize; REGDB_E_CLASSNOTREG for a class without a factory.
  HResult CreateInstance(const Guid& clsid, std::uint32_t context, const Guid& iid,
                         void** object) override;
  // A new GUID each time: a counter in its last bytes, so tests can tell them apart.
  HResult CreateGuid(Guid* guid) override;

  // --- Set-up and inspection.
  void SetInitializeResult(HResult result) { initializeResult_ = result; }
  int InitializeCount() const { return initializeCount_; }
  int UninitializeCount() const { return uninitializeCount_; }
  bool IsInitialized() const { return initializeCount_ > uninitializeCount_; }
  // The error information the next TakeErrorInfo returns (once).
  void SetErrorInfo(const std::wstring& description, const std::wstring& source,
                    const Guid& interfaceId);
  void RegisterFactory(const Guid& clsid, Factory factory);
  // Class ids asked for, in order.
  const std::vector<Guid>& CreatedClasses() const { return created_; }

 private:
  HResult initializeResult_ = hr::Ok;
  int initializeCount_ = 0;
  int uninitializeCount_ = 0;
  std::shared_ptr<ErrorInfo> errorInfo_;
  std::vector<std::pair<Guid, Factory>> factories_;
  std::vector<Guid> created_;
  std::uint64_t guidsCreated_ = 0;
};

}  // namespace platform::sim
