#pragma once
// A kernel handle closed when it goes out of scope. Holds nothing for both null and
// INVALID_HANDLE_VALUE, since the API uses either for "no handle".

#include <windows.h>

#include <utility>

namespace lw {

class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(Valid(handle) ? handle : nullptr) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset(HANDLE handle = nullptr) {
    if (handle_) CloseHandle(handle_);
    handle_ = Valid(handle) ? handle : nullptr;
  }

 private:
  static bool Valid(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }
  HANDLE handle_ = nullptr;
};

}  // namespace lw
