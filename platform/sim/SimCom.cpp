#include "platform/sim/SimCom.h"

#include "platform/sim/SimErrors.h"

namespace platform::sim {
namespace {

class SimErrorInfo : public ErrorInfo {
 public:
  SimErrorInfo(std::wstring description, std::wstring source, const Guid& iid)
      : description_(std::move(description)), source_(std::move(source)), iid_(iid) {}
  bool Description(std::wstring* text) override {
    *text = description_;
    return true;
  }
  bool Source(std::wstring* text) override {
    *text = source_;
    return true;
  }
  bool InterfaceId(Guid* iid) override {
    *iid = iid_;
    return true;
  }

 private:
  std::wstring description_;
  std::wstring source_;
  Guid iid_;
};

}  // namespace

HResult SimCom::Initialize() {
  if (hr::Failed(initializeResult_)) return initializeResult_;
  const bool already = IsInitialized();
  ++initializeCount_;
  return already ? hr::False : hr::Ok;
}

void SimCom::Uninitialize() {
  if (IsInitialized()) ++uninitializeCount_;
}

std::shared_ptr<ErrorInfo> SimCom::TakeErrorInfo() {
  std::shared_ptr<ErrorInfo> taken = std::move(errorInfo_);
  errorInfo_.reset();
  return taken;
}

HResult SimCom::CreateInstance(const Guid& clsid, std::uint32_t /*context*/, const Guid& iid,
                               void** object) {
  *object = nullptr;
  created_.push_back(clsid);
  if (!IsInitialized()) return simerr::NotInitialized;
  for (const auto& [registered, factory] : factories_)
    if (registered == clsid) return factory(iid, object);
  return simerr::ClassNotRegistered;
}

HResult SimCom::CreateGuid(Guid* guid) {
  ++guidsCreated_;
  *guid = Guid{0x6B29FC40, 0xCA47, 0x1067, {0xB3, 0x1D}};
  for (int i = 0; i < 6; ++i)
    guid->data4[7 - i] = static_cast<std::uint8_t>(guidsCreated_ >> (8 * i));
  return hr::Ok;
}

void SimCom::SetErrorInfo(const std::wstring& description, const std::wstring& source,
                          const Guid& interfaceId) {
  errorInfo_ = std::make_shared<SimErrorInfo>(description, source, interfaceId);
}

void SimCom::RegisterFactory(const Guid& clsid, Factory factory) {
  factories_.emplace_back(clsid, std::move(factory));
}

}  // namespace platform::sim
