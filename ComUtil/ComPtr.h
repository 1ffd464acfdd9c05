// ComPtr<Interface>: owns one reference to a COM-style object and releases it when it goes
// out of scope. Move-only; copying is done explicitly with AddRef where a second holder
// is meant.
#pragma once

#include <utility>

namespace ComUtil {

template <class Interface>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already holds (does not AddRef).
  explicit ComPtr(Interface* owned) : pointer_(owned) {}
  ~ComPtr() { Reset(); }
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  // Releases the reference held, if any.
  void Reset() {
    if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
  }
  // Releases what is held and returns the address to receive a new reference.
  Interface** Receive() {
    Reset();
    return &pointer_;
  }
  // Gives up ownership without releasing.
  Interface* Detach() { return std::exchange(pointer_, nullptr); }

  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace ComUtil
