#include "ComUtil/ErrorText.h"
#include "ComUtil/IssueError.h"

namespace ComUtil {

_com_error::_com_error(platform::HResult hr, std::shared_ptr<platform::ErrorInfo> info)
    : hr_(hr), info_(std::move(info)) {}

const std::wstring& _com_error::ErrorMessage() const {
  if (!haveMessage_) {
    message_ = ComErrorMessage(hr_);
    haveMessage_ = true;
  }
  return message_;
}

}  // namespace ComUtil
