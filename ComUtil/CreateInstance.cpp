#include "ComUtil/CreateInstance.h"

#include "ComUtil/ComApartment.h"
#include "ComUtil/IssueError.h"
#include "platform/Machine.h"

namespace ComUtil {
namespace {

// The place that issues a failed creation: this helper, not its caller.
constexpr char kCreateInstanceSource[] = "CreateInstance";
constexpr int kCreateInstanceLine = 30;

}  // namespace

void CreateInstanceOf(const platform::Guid& clsid, std::uint32_t context,
                      const platform::Guid& iid, void** object) {
  *object = nullptr;
  EnterComApartment();
  void* created = nullptr;
  platform::HResult hr = platform::com().CreateInstance(clsid, context, iid, &created);
  ThrowIfFailed(hr, kCreateInstanceSource, kCreateInstanceLine);
  *object = created;
}

}  // namespace ComUtil
