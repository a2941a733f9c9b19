// The probe made before Qt starts: a server that answers is found at once,
// one that is stopped (it accepted the connection and says nothing) costs no
// more than the time given, and a socket nobody listens at is absent.

#include "platform/qt/sources/bus_probe.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace vellicor::qt {
namespace {

// A listening socket at an abstract name of this process's own; the backlog
// accepts connections whether or not anyone reads them.
class Listener {
 public:
  explicit Listener(const std::string& name) : name_(name + std::to_string(getpid())) {
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name_.data(), name_.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name_.size());
    listening_ =
        bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 && listen(fd_, 4) == 0;
  }
  ~Listener() { close(fd_); }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  bool listening() const { return listening_; }
  UnixSocketAddress address() const { return {true, name_}; }
  // Takes one connection and answers its first line, as a bus does.
  void answerOne() const {
    const int peer = accept(fd_, nullptr, nullptr);
    char buffer[256];
    if (peer >= 0 && read(peer, buffer, sizeof buffer) > 0) {
      const char reply[] = "REJECTED EXTERNAL\r\n";
      [[maybe_unused]] const ssize_t n = write(peer, reply, sizeof reply - 1);
    }
    if (peer >= 0) {
      close(peer);
    }
  }

 private:
  std::string name_;
  int fd_ = -1;
  bool listening_ = false;
};

using Clock = std::chrono::steady_clock;

TEST(BusProbeWithin, AnAnsweringServerIsFoundAndASilentOneCostsNoMoreThanTheTimeGiven) {
  const Listener answering("vellicor-probe-answers-");
  ASSERT_TRUE(answering.listening());
  std::thread server([&] { answering.answerOne(); });
  EXPECT_EQ(BusProbe::within(answering.address(), 5000), BusProbe::Outcome::Answers);
  server.join();

  const Listener silent("vellicor-probe-silent-");
  ASSERT_TRUE(silent.listening());
  const auto start = Clock::now();
  EXPECT_EQ(BusProbe::within(silent.address(), 200), std::nullopt);
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(200));
  EXPECT_LT(waited, std::chrono::seconds(3));
}

TEST(BusProbeWithin, NobodyListeningIsAbsent) {
  EXPECT_EQ(BusProbe::within({true, "vellicor-probe-nobody-" + std::to_string(getpid())}, 5000),
            BusProbe::Outcome::Absent);
  EXPECT_EQ(BusProbe::within({false, "/nonexistent/vellicor/bus"}, 5000),
            BusProbe::Outcome::Absent);
}

}  // namespace
}  // namespace vellicor::qt
