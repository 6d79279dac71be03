#pragma once
// What the tests of the update and add-on runs share: a signature check that answers as told
// and keeps what it was asked, and the files of a download.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "config/messages.h"
#include "fakes/fake_ports.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_service.h"
#include "fakes/temp_dir.h"
#include "net/file_answer_spool.h"
#include "net/online_ports.h"

namespace lw::test {

class RecordingSignature : public SignatureCheck {
 public:
  bool Verify(const std::filesystem::path& file, std::span<const uint8_t> signature) override {
    files.push_back(file);
    signatures.emplace_back(signature.begin(), signature.end());
    return valid;
  }
  bool valid = true;
  std::vector<std::filesystem::path> files;
  std::vector<std::string> signatures;
};

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// The world of an update or add-on run: its folder, the folder of its answer files, the
// service played in memory, and the ports the run reports to.
struct OnlineRig {
  // What arrives of a file's content before the service falls silent; all by default.
  std::size_t arrive = std::string::npos;
  // The program is closing.
  bool stop = false;

  TempDir dir;
  TempDir temp;
  FakeClock clock;
  FakeService service{clock};
  FileAnswerSpool spool{temp.path()};
  FakeRegistry registry;
  RecordingNotifier notifier;
  MessageTable messages;
  RecordingSignature signature;

  // The run's ports over the rig.
  OnlinePorts Ports() { return {service, spool, clock, registry, notifier, messages, signature}; }
};

// The exclusive or of all the bytes.
inline int Xor(const std::string& bytes) {
  unsigned char sum = 0;
  for (char c : bytes) sum ^= static_cast<unsigned char>(c);
  return sum;
}

}  // namespace lw::test
