#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <future>
#include <mutex>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "hooking/dial_request.h"
#include "hooking/intake.h"
#include "hooking/win/hook_injector.h"
#include "hooking/win/hooking_library.h"
#include "hooking/win/pipe_security.h"
#include "hooking/win/queue_server.h"
#include "hooking/win/unique_handle.h"

namespace lw {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// A queue name of this test alone, so that tests running at the same time (and a running
// program) do not meet.
std::wstring UniqueQueueName() {
  static std::atomic<int> counter{0};
  return L"LarkWatchTest" + std::to_wstring(GetCurrentProcessId()) + L"_" +
         std::to_wstring(counter++);
}

std::vector<uint8_t> Le32(int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

// The hook library's side: opens the pipe (waiting while every instance is busy), switches to
// message mode and sends requests over the connection.
class PipeClient {
 public:
  bool Open(const std::wstring& path, DWORD patience_ms = 30'000) {
    const auto deadline = steady_clock::now() + milliseconds(patience_ms);
    for (;;) {
      handle_.Reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
      if (handle_) break;
      error_ = GetLastError();
      if (error_ != ERROR_PIPE_BUSY || steady_clock::now() > deadline) return false;
      WaitNamedPipeW(path.c_str(), 1000);
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    return SetNamedPipeHandleState(handle_.get(), &mode, nullptr, nullptr) != FALSE;
  }
  // The answer, or nullopt when the pipe broke.
  std::optional<std::vector<uint8_t>> Transact(std::span<const uint8_t> message) {
    std::vector<uint8_t> answer(64);
    DWORD got = 0;
    if (!TransactNamedPipe(handle_.get(), const_cast<uint8_t*>(message.data()),
                           static_cast<DWORD>(message.size()), answer.data(),
                           static_cast<DWORD>(answer.size()), &got, nullptr)) {
      error_ = GetLastError();
      return std::nullopt;
    }
    answer.resize(got);
    return answer;
  }
  bool Send(std::span<const uint8_t> message) {
    DWORD written = 0;
    return WriteFile(handle_.get(), message.data(), static_cast<DWORD>(message.size()), &written,
                     nullptr) != FALSE;
  }
  void Close() { handle_.Reset(); }
  HANDLE handle() const { return handle_.get(); }
  DWORD error() const { return error_; }

 private:
  UniqueHandle handle_;
  DWORD error_ = 0;
};

// One request on a connection of its own.
std::optional<std::vector<uint8_t>> Call(const std::wstring& path,
                                         std::span<const uint8_t> message) {
  PipeClient client;
  if (!client.Open(path)) return std::nullopt;
  return client.Transact(message);
}

// A decider that records what it was asked and answers by a rule.
class RecordingDecider : public DialDecider {
 public:
  int32_t DecideDial(const DialFields& fields) override {
    ++dials;
    last_dial = fields;
    return dial_answer;
  }
  int32_t DecideHangUp(uint32_t, const std::string& application) override {
    ++hang_ups;
    last_hang_up = application;
    return hang_up_answer;
  }
  std::atomic<int> dials{0};
  std::atomic<int> hang_ups{0};
  DialFields last_dial;
  std::string last_hang_up;
  int32_t dial_answer = 1;
  int32_t hang_up_answer = 0;
};

class CountingExtensions : public ExtensionNotifications {
 public:
  void NotifyConnect(const DialFields&) override { ++connects; }
  void NotifyIllegal(const DialFields&) override { ++illegal; }
  void NotifyDisconnect() override { ++disconnects; }
  std::atomic<int> connects{0}, illegal{0}, disconnects{0};
};

class CountingLog : public AttemptLogger {
 public:
  void LogAttempt(AttemptKind, const std::string&, int32_t, const std::string&, const std::string&,
                  const std::string&, const std::string&, bool) override {
    ++entries;
  }
  std::atomic<int> entries{0};
};

// The program's intake behind the real pipe.
struct IntakeRig {
  std::mutex decision_lock;
  RecordingDecider decider;
  CountingExtensions extensions;
  CountingLog log;
  DialIntake intake{decision_lock, decider, extensions, log};
  // Waits until the request answered last has also been notified and logged: the intake holds
  // the lock from before its answer until after its log.
  void Settle() { std::lock_guard<std::mutex> lock(decision_lock); }
  QueueHandler Handler() {
    return [this](std::span<const uint8_t> message, const DialIntake::AnswerSink& answer) {
      intake.HandleDialRequest(message, answer);
    };
  }
};

// Answers each request with the 32-bit number it starts with (0 for shorter ones).
QueueHandler EchoHandler(milliseconds delay = milliseconds(0)) {
  return [delay](std::span<const uint8_t> message, const DialIntake::AnswerSink& answer) {
    if (delay.count() > 0) std::this_thread::sleep_for(delay);
    int32_t value = 0;
    if (message.size() >= 4) std::memcpy(&value, message.data(), 4);
    answer(value);
  };
}

const DialFields kDial{48, "22", "5551234", "Wpis", "", "C:\\Program Files\\d\\dialer.exe"};

TEST(QueueNamesTest, FollowTheSession) {
  DWORD session = 99;
  ASSERT_TRUE(ProcessIdToSessionId(GetCurrentProcessId(), &session));
  EXPECT_EQ(CurrentSessionNumber(), session);
  EXPECT_EQ(QueueName(1), L"LarkWatch1");
  EXPECT_EQ(QueueName(4294967295u), L"LarkWatch4294967295");
  EXPECT_EQ(QueuePipePath(L"LarkWatch1"), L"\\\\.\\pipe\\LarkWatch1");
  EXPECT_EQ(QueueMutexName(L"LarkWatch1"), L"Local\\LarkWatch1");
}

TEST(QueueGateTest, RefusesOnlyOversizedMessages) {
  EXPECT_TRUE(QueueGateAdmits(0));
  EXPECT_TRUE(QueueGateAdmits(kMaxQueueMessage));
  EXPECT_FALSE(QueueGateAdmits(kMaxQueueMessage + 1));
  EXPECT_TRUE(HookingLibrary::Gate(406));
  EXPECT_FALSE(HookingLibrary::Gate(kMaxQueueMessage + 1));
}

TEST(QueueServerTest, DialAndHangUpRoundTrip) {
  IntakeRig rig;
  const std::wstring name = UniqueQueueName();
  auto server = QueueServer::Create(name, rig.Handler());
  ASSERT_TRUE(server);
  EXPECT_EQ(server->instance_count(), 8);
  server->StartServing();

  const std::vector<uint8_t> dial = BuildDialMessage(RequestType::Dial, kDial);
  std::vector<uint8_t> answer(4);
  DWORD got = 0;
  ASSERT_TRUE(CallNamedPipeW(server->pipe_path().c_str(), const_cast<uint8_t*>(dial.data()),
                             static_cast<DWORD>(dial.size()), answer.data(), 4, &got, 5000))
      << GetLastError();
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(answer, Le32(1));
  EXPECT_EQ(rig.decider.dials, 1);
  EXPECT_EQ(rig.decider.last_dial, kDial);
  rig.Settle();
  EXPECT_EQ(rig.extensions.connects, 1);

  const std::vector<uint8_t> hang_up = BuildHangUpMessage("C:\\x\\hangup.exe", 7);
  EXPECT_EQ(Call(server->pipe_path(), hang_up), Le32(0));
  EXPECT_EQ(rig.decider.hang_ups, 1);
  EXPECT_EQ(rig.decider.last_hang_up, "C:\\x\\hangup.exe");
  rig.Settle();
  EXPECT_EQ(rig.extensions.disconnects, 0);
  EXPECT_EQ(rig.log.entries, 2);

  // Several requests over one connection.
  PipeClient client;
  ASSERT_TRUE(client.Open(server->pipe_path()));
  rig.decider.dial_answer = 0;
  EXPECT_EQ(client.Transact(dial), Le32(0));
  rig.decider.hang_up_answer = 1;
  EXPECT_EQ(client.Transact(hang_up), Le32(1));
  rig.Settle();
  EXPECT_EQ(rig.extensions.illegal, 1);
  EXPECT_EQ(rig.extensions.disconnects, 1);
}

TEST(QueueServerTest, TheAnswerArrivesBeforeTheHandlerReturns) {
  UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::atomic<bool> returned{false};
  auto server = QueueServer::Create(
      UniqueQueueName(), [&](std::span<const uint8_t>, const DialIntake::AnswerSink& answer) {
        answer(1);
        // The extensions and the log come after the answer; they may take their time.
        WaitForSingleObject(release.get(), 10'000);
        returned = true;
      });
  ASSERT_TRUE(server);
  server->StartServing();
  const std::vector<uint8_t> dial = BuildDialMessage(RequestType::Dial, kDial);
  EXPECT_EQ(Call(server->pipe_path(), dial), Le32(1));
  EXPECT_FALSE(returned);
  SetEvent(release.get());
}

TEST(QueueServerTest, OnlyTheFirstAnswerIsSent) {
  UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  auto server = QueueServer::Create(
      UniqueQueueName(), [&](std::span<const uint8_t>, const DialIntake::AnswerSink& answer) {
        answer(1);
        answer(0);
        SetEvent(done.get());
      });
  ASSERT_TRUE(server);
  server->StartServing();
  PipeClient client;
  ASSERT_TRUE(client.Open(server->pipe_path()));
  const std::vector<uint8_t> message = {1, 0};
  EXPECT_EQ(client.Transact(message), Le32(1));
  ASSERT_EQ(WaitForSingleObject(done.get(), 5000), WAIT_OBJECT_0);
  DWORD available = 1;
  ASSERT_TRUE(PeekNamedPipe(client.handle(), nullptr, 0, nullptr, &available, nullptr));
  EXPECT_EQ(available, 0u);
}

TEST(QueueServerTest, ASecondQueueOfTheSameNameIsNotCreatedWhileTheFirstServes) {
  const std::wstring name = UniqueQueueName();
  auto first = QueueServer::Create(name, EchoHandler());
  ASSERT_TRUE(first);
  first->StartServing();
  EXPECT_FALSE(QueueServer::Create(name, EchoHandler()));
  HookingLibrary other;
  other.SetUp();
  EXPECT_FALSE(other.CreateQueue(name, EchoHandler()));
  EXPECT_EQ(Call(first->pipe_path(), Le32(5)), Le32(5));

  // Once the first has gone, the name is free again.
  first.reset();
  EXPECT_TRUE(other.CreateQueue(name, EchoHandler()));
  other.StartServing();
  EXPECT_EQ(Call(QueuePipePath(name), Le32(6)), Le32(6));
  other.TearDown();
  EXPECT_EQ(other.queue(), nullptr);
}

TEST(QueueServerTest, TwentyConcurrentClientsAreAllAnswered) {
  std::mutex decision_lock;  // one decision at a time, as in the program
  auto server = QueueServer::Create(UniqueQueueName(), [&](std::span<const uint8_t> message,
                                                           const DialIntake::AnswerSink& answer) {
    std::lock_guard<std::mutex> lock(decision_lock);
    EchoHandler(milliseconds(20))(message, answer);
  });
  ASSERT_TRUE(server);
  server->StartServing();
  constexpr int kClients = 20;
  std::vector<std::future<std::optional<std::vector<uint8_t>>>> answers;
  for (int i = 0; i < kClients; ++i) {
    answers.push_back(std::async(std::launch::async,
                                 [&, i] { return Call(server->pipe_path(), Le32(1000 + i)); }));
  }
  for (int i = 0; i < kClients; ++i) EXPECT_EQ(answers[i].get(), Le32(1000 + i)) << i;
}

TEST(QueueServerTest, ASilentClientDoesNotBlockTheOthers) {
  auto server = QueueServer::Create(UniqueQueueName(), EchoHandler());
  ASSERT_TRUE(server);
  server->StartServing();
  PipeClient silent;
  ASSERT_TRUE(silent.Open(server->pipe_path()));
  EXPECT_EQ(Call(server->pipe_path(), Le32(3)), Le32(3));
}

TEST(QueueServerTest, ASilentClientIsDroppedAfterTheMessageTimeout) {
  QueueOptions options;
  options.instances = 1;
  options.message_timeout_ms = 300;
  auto server = QueueServer::Create(UniqueQueueName(), EchoHandler(), options);
  ASSERT_TRUE(server);
  server->StartServing();
  PipeClient silent;
  ASSERT_TRUE(silent.Open(server->pipe_path()));
  // The only instance is taken; the next client waits for it and is then served.
  const auto start = steady_clock::now();
  EXPECT_EQ(Call(server->pipe_path(), Le32(4)), Le32(4));
  EXPECT_GE(steady_clock::now() - start, milliseconds(200));
  // The silent one has been disconnected.
  EXPECT_FALSE(silent.Transact(Le32(1)));
}

TEST(QueueServerTest, AClientThatLeavesWhileTheHandlerDecidesDoesNoHarm) {
  UniqueHandle entered(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::atomic<int> handled{0};
  auto server = QueueServer::Create(UniqueQueueName(), [&](std::span<const uint8_t> message,
                                                           const DialIntake::AnswerSink& answer) {
    if (handled++ == 0) {
      SetEvent(entered.get());
      WaitForSingleObject(release.get(), 10'000);
    }
    EchoHandler()(message, answer);
  });
  ASSERT_TRUE(server);
  server->StartServing();
  PipeClient leaving;
  ASSERT_TRUE(leaving.Open(server->pipe_path()));
  ASSERT_TRUE(leaving.Send(Le32(1)));
  ASSERT_EQ(WaitForSingleObject(entered.get(), 5000), WAIT_OBJECT_0);
  leaving.Close();
  SetEvent(release.get());
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Call(server->pipe_path(), Le32(i + 10)), Le32(i + 10));
}

TEST(QueueServerTest, AHandlerThatFailsOrDoesNotAnswerBreaksOnlyItsOwnRequest) {
  auto server = QueueServer::Create(UniqueQueueName(), [](std::span<const uint8_t> message,
                                                          const DialIntake::AnswerSink& answer) {
    if (message.size() == 1) throw std::runtime_error("bad request");
    if (message.size() == 2) return;  // no answer at all
    EchoHandler()(message, answer);
  });
  ASSERT_TRUE(server);
  server->StartServing();
  const std::vector<uint8_t> one = {1}, two = {1, 2};
  EXPECT_FALSE(Call(server->pipe_path(), one));
  EXPECT_FALSE(Call(server->pipe_path(), two));
  EXPECT_EQ(Call(server->pipe_path(), Le32(9)), Le32(9));
}

TEST(QueueServerTest, OversizedMessagesAreReadAndRefusedByTheGate) {
  IntakeRig rig;
  auto server = QueueServer::Create(UniqueQueueName(), rig.Handler());
  ASSERT_TRUE(server);
  server->StartServing();
  PipeClient client;
  ASSERT_TRUE(client.Open(server->pipe_path()));

  // A dial whose path fills the bound exactly still passes.
  DialFields fields = kDial;
  fields.Application.assign(kMaxQueueMessage - request_layout::kDialApplication - 1, 'p');
  const std::vector<uint8_t> largest = BuildDialMessage(RequestType::Dial, fields);
  ASSERT_EQ(largest.size(), kMaxQueueMessage);
  EXPECT_EQ(client.Transact(largest), Le32(1));
  EXPECT_EQ(rig.decider.dials, 1);

  for (std::size_t extra : {std::size_t{1}, std::size_t{200'000}}) {
    fields.Application.append(extra, 'q');
    const std::vector<uint8_t> oversized = BuildDialMessage(RequestType::Dial, fields);
    EXPECT_EQ(client.Transact(oversized), Le32(0));
  }
  EXPECT_EQ(rig.decider.dials, 1);
  rig.Settle();
  EXPECT_EQ(rig.log.entries, 1);
  // The connection is still in step: the next request is answered normally.
  EXPECT_EQ(client.Transact(BuildDialMessage(RequestType::Dial, kDial)), Le32(1));
}

TEST(QueueServerTest, RandomMessagesAreRefusedUnlessTheyParse) {
  IntakeRig rig;
  auto server = QueueServer::Create(UniqueQueueName(), rig.Handler());
  ASSERT_TRUE(server);
  server->StartServing();
  PipeClient client;
  ASSERT_TRUE(client.Open(server->pipe_path()));

  std::mt19937 random(20261210);
  std::uniform_int_distribution<int> length_of(0, 2000);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> type_of(0, 5);
  int parsed = 0;
  for (int i = 0; i < 10'000; ++i) {
    // Now and then on a new connection, so that the instances are taken and freed again.
    if (i % 250 == 249) {
      client.Close();
      ASSERT_TRUE(client.Open(server->pipe_path()));
    }
    std::vector<uint8_t> message(static_cast<std::size_t>(length_of(random)));
    for (uint8_t& b : message) b = static_cast<uint8_t>(byte(random));
    // Mostly the known types, so that both short and long enough messages of each occur.
    const int type = type_of(random);
    if (message.size() >= 2 && type < 4) {
      message[0] = static_cast<uint8_t>(type);
      message[1] = 0;
    }
    const bool parses = ParseDialRequest(message).has_value();
    const int decided_before = rig.decider.dials + rig.decider.hang_ups;
    rig.Settle();
    rig.decider.dial_answer = i % 2;
    rig.decider.hang_up_answer = 1 - i % 2;
    const std::optional<std::vector<uint8_t>> answer = client.Transact(message);
    ASSERT_TRUE(answer) << "message " << i << " error " << client.error();
    const int decided = rig.decider.dials + rig.decider.hang_ups - decided_before;
    if (!parses) {
      ASSERT_EQ(*answer, Le32(0)) << "message " << i;
      ASSERT_EQ(decided, 0) << "message " << i;
    } else {
      ++parsed;
      ASSERT_EQ(decided, 1) << "message " << i;
      const bool dial = message[0] != 3;
      ASSERT_EQ(*answer, Le32(dial ? i % 2 : 1 - i % 2)) << "message " << i;
    }
  }
  EXPECT_GT(parsed, 1000);
  EXPECT_LT(parsed, 9000);
  rig.Settle();
  EXPECT_EQ(rig.log.entries, parsed);
  // Still responsive, on a new connection too.
  rig.decider.dial_answer = 1;
  EXPECT_EQ(Call(server->pipe_path(), BuildDialMessage(RequestType::Dial, kDial)), Le32(1));
}

TEST(QueueServerTest, RequestsBeforeStartServingAreHeldNotRefused) {
  std::atomic<int> handled{0};
  auto server = QueueServer::Create(UniqueQueueName(), [&](std::span<const uint8_t> message,
                                                           const DialIntake::AnswerSink& answer) {
    ++handled;
    EchoHandler()(message, answer);
  });
  ASSERT_TRUE(server);
  std::vector<std::future<std::optional<std::vector<uint8_t>>>> answers;
  for (int i = 0; i < 3; ++i) {
    answers.push_back(
        std::async(std::launch::async, [&, i] { return Call(server->pipe_path(), Le32(20 + i)); }));
  }
  EXPECT_EQ(answers[0].wait_for(milliseconds(500)), std::future_status::timeout);
  for (auto& answer : answers) {
    EXPECT_EQ(answer.wait_for(milliseconds(0)), std::future_status::timeout);
  }
  EXPECT_EQ(handled, 0);
  server->StartServing();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(answers[i].get(), Le32(20 + i));
  EXPECT_EQ(handled, 3);
}

TEST(QueueServerTest, StopEndsEveryThreadPromptly) {
  auto server = QueueServer::Create(UniqueQueueName(), EchoHandler());
  ASSERT_TRUE(server);
  // One client silent, one held (not yet serving), the other instances waiting.
  PipeClient silent;
  ASSERT_TRUE(silent.Open(server->pipe_path()));
  auto held = std::async(std::launch::async, [&] { return Call(server->pipe_path(), Le32(1)); });
  EXPECT_EQ(held.wait_for(milliseconds(300)), std::future_status::timeout);

  const auto start = steady_clock::now();
  server->Stop();
  EXPECT_LT(steady_clock::now() - start, milliseconds(1000));
  // The held request's client sees the pipe break: no answer.
  EXPECT_EQ(held.get(), std::nullopt);
  server.reset();
}

TEST(QueueServerTest, StopWaitsForAHandlerThatIsDeciding) {
  UniqueHandle entered(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  auto server = QueueServer::Create(
      UniqueQueueName(), [&](std::span<const uint8_t>, const DialIntake::AnswerSink& answer) {
        SetEvent(entered.get());
        WaitForSingleObject(release.get(), 10'000);
        answer(1);
      });
  ASSERT_TRUE(server);
  server->StartServing();
  auto client = std::async(std::launch::async, [&] { return Call(server->pipe_path(), Le32(1)); });
  ASSERT_EQ(WaitForSingleObject(entered.get(), 5000), WAIT_OBJECT_0);
  auto stop = std::async(std::launch::async, [&] { server->Stop(); });
  EXPECT_EQ(stop.wait_for(milliseconds(300)), std::future_status::timeout);
  SetEvent(release.get());
  EXPECT_EQ(stop.wait_for(milliseconds(5000)), std::future_status::ready);
  // The decision made during the stop still reaches its client.
  EXPECT_EQ(client.get(), Le32(1));
}

TEST(QueueServerTest, AnIdleServerUsesNoProcessorTime) {
  auto server = QueueServer::Create(UniqueQueueName(), EchoHandler());
  ASSERT_TRUE(server);
  server->StartServing();
  auto cpu = [] {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](FILETIME t) {
      return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return ticks(kernel) + ticks(user);  // 100 ns units
  };
  const uint64_t before = cpu();
  Sleep(1000);
  EXPECT_LT(cpu() - before, 200'000u);  // under 20 ms of processor time in a second
}

TEST(PipeSecurityTest, GrantsTheUserAndTheSystemOnly) {
  std::optional<PipeSecurity> security = PipeSecurity::ForCurrentUser();
  ASSERT_TRUE(security);
  const std::wstring user = CurrentUserSidText();
  ASSERT_FALSE(user.empty());
  EXPECT_NE(security->text().find(user), std::wstring::npos);

  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(security->descriptor(), &present, &dacl, &defaulted));
  ASSERT_TRUE(present);
  ASSERT_NE(dacl, nullptr);
  ASSERT_EQ(dacl->AceCount, 2);
  std::vector<std::wstring> granted;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, i, &ace));
    const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    ASSERT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(allowed->Mask, static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE));
    wchar_t* text = nullptr;
    ASSERT_TRUE(ConvertSidToStringSidW(const_cast<DWORD*>(&allowed->SidStart), &text));
    granted.emplace_back(text);
    LocalFree(text);
  }
  EXPECT_EQ(granted, (std::vector<std::wstring>{user, L"S-1-5-18"}));
}

TEST(PipeSecurityTest, ThePipeCarriesTheDescriptor) {
  auto server = QueueServer::Create(UniqueQueueName(), EchoHandler());
  ASSERT_TRUE(server);
  UniqueHandle client(CreateFileW(server->pipe_path().c_str(), READ_CONTROL, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(client) << GetLastError();
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PACL dacl = nullptr;
  const DWORD status = GetSecurityInfo(client.get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION,
                                       nullptr, nullptr, &dacl, nullptr, &descriptor);
  ASSERT_EQ(status, static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_NE(dacl, nullptr);
  EXPECT_EQ(dacl->AceCount, 2);
  wchar_t* text = nullptr;
  ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorW(
      descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr));
  const std::wstring sddl(text);
  LocalFree(text);
  LocalFree(descriptor);
  EXPECT_NE(sddl.find(CurrentUserSidText()), std::wstring::npos) << sddl;
  EXPECT_EQ(sddl.find(L";;;WD)"), std::wstring::npos) << sddl;  // Everyone
  EXPECT_EQ(sddl.find(L";;;AN)"), std::wstring::npos) << sddl;  // anonymous
}

TEST(HookInjectorTest, RefusesWhatIsNotAHookLibrary) {
  HookInjector relative(L"larkwatch.dll");
  EXPECT_EQ(relative.Inject(), HookOutcome::LibraryNotLoaded);
  HookInjector missing(ProgramFolder() + L"no-such-library.dll");
  EXPECT_EQ(missing.Inject(), HookOutcome::LibraryNotLoaded);
  EXPECT_FALSE(missing.injected());

  wchar_t system[MAX_PATH] = L"";
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  HookInjector no_export(std::wstring(system) + L"\\version.dll");
  EXPECT_EQ(no_export.Inject(), HookOutcome::NoHookProcedure);
  EXPECT_EQ(no_export.Remove(), HookOutcome::NotInjected);
}

TEST(HookInjectorTest, InjectsAndRemovesTheHookLibrary) {
  HookingLibrary library;
  library.SetUp();
  const std::wstring path = library.HookLibraryPath();
  EXPECT_EQ(path, ProgramFolder() + L"larkwatch.dll");
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "larkwatch.dll is not built";
  }
  EXPECT_EQ(library.Inject(), HookOutcome::Ok);
  EXPECT_EQ(library.Inject(), HookOutcome::Ok);
  EXPECT_EQ(library.Remove(), HookOutcome::Ok);
  EXPECT_EQ(library.Remove(), HookOutcome::NotInjected);
}

TEST(HookingLibraryTest, RunsTheSevenOperationsInTheProgramsOrder) {
  HookingLibrary library;
  library.SetUp();
  EXPECT_EQ(library.QueueNumber(), CurrentSessionNumber());
  const std::wstring name = UniqueQueueName();
  IntakeRig rig;
  ASSERT_TRUE(library.CreateQueue(name, rig.Handler()));
  library.Inject();  // its outcome does not matter here
  library.StartServing();
  EXPECT_EQ(Call(QueuePipePath(name), BuildDialMessage(RequestType::DialOther, kDial)), Le32(1));
  library.Remove();
  library.TearDown();
  EXPECT_EQ(library.queue(), nullptr);
  // Nobody answers any more.
  PipeClient client;
  EXPECT_FALSE(client.Open(QueuePipePath(name), 0));
}

}  // namespace
}  // namespace lw
