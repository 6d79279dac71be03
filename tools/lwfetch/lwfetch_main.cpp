// Downloads one file from the update service the way the program does (the form-post client,
// its Winsock connection and answer file, the content appended to a file) and reports the time
// and the process's peak memory. The download benchmark runs it against curl.
//   lwfetch.exe HOST:PORT OUTPUT-FILE
#include <windows.h>
// After windows.h, whose types it uses.
#include <psapi.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "common/win/system_clock.h"
#include "common/win/wide.h"
#include "net/download.h"
#include "net/file_answer_spool.h"
#include "net/form_post.h"
#include "net/win/winsock_transport.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: lwfetch.exe HOST:PORT OUTPUT-FILE\n");
    return 2;
  }
  const std::string address = lw::Narrow(argv[1]);
  const std::size_t colon = address.rfind(':');
  if (colon == std::string::npos) return 2;
  const std::filesystem::path output = argv[2];
  std::error_code ignored;
  std::filesystem::remove(output, ignored);

  lw::WinsockTransport transport;
  lw::FileAnswerSpool spool;
  lw::SystemClock clock;
  lw::FormPostClient client(lw::kUpdateCopy, transport, spool, clock, [] { return false; });
  client.SetService(
      {address.substr(0, colon), static_cast<uint16_t>(std::stoi(address.substr(colon + 1)))});
  const lw::PartialDownload files{output, output.string() + ".marker"};
  const lw::ResumePoint from_start;

  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (!client.ConnectToServer()) {
    std::fprintf(stderr, "lwfetch: no connection\n");
    return 1;
  }
  client.PostForm(lw::kUpdatePath,
                  "give=file&name=larkwatch&country=Poland&language=Poland&version=0&resume=0");
  const bool stored = lw::ReceiveInto(client, files, from_start);
  QueryPerformanceCounter(&end);

  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  const double seconds =
      static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  const uintmax_t bytes = std::filesystem::file_size(output, ignored);
  std::printf("bytes=%llu seconds=%.3f peak_working_set_kib=%llu peak_private_kib=%llu\n",
              static_cast<unsigned long long>(bytes), seconds,
              static_cast<unsigned long long>(memory.PeakWorkingSetSize / 1024),
              static_cast<unsigned long long>(memory.PeakPagefileUsage / 1024));
  return stored ? 0 : 1;
}
