#pragma once
// A fresh directory under the system's temporary directory, removed with everything in it when
// the object goes.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

namespace lw::test {

class TempDir {
 public:
  TempDir() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;) {
      path_ = std::filesystem::temp_directory_path() /
              ("lw-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
      std::error_code ec;
      if (std::filesystem::create_directory(path_, ec)) break;
    }
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace lw::test
