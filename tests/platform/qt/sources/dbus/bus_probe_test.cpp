// The probe made before the program connects to a bus: a bus that answers a
// client's Hello is found, one that is stopped, or that authenticates and
// then never answers (a hung main loop), costs no more than the time given,
// and a socket nobody listens at, or a server that refuses the client, is
// absent.

#include "platform/qt/sources/dbus/bus_probe.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "support/fake_bus.h"

extern char** environ;

namespace vellicor::qt {
namespace {

using Clock = std::chrono::steady_clock;
using Behaviour = FakeBus::Behaviour;

// A real dbus-daemon at an abstract socket of this process's own.
class RealBus {
 public:
  RealBus() : socket_{true, "vellicor-probe-real-" + std::to_string(getpid())} {
    const std::string address = "--address=unix:abstract=" + socket_.path;
    const char* argv[] = {"dbus-daemon", "--session", "--nofork", address.c_str(), nullptr};
    if (posix_spawnp(&pid_, "dbus-daemon", nullptr, nullptr, const_cast<char**>(argv), environ) !=
        0) {
      pid_ = -1;
    }
  }
  ~RealBus() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  RealBus(const RealBus&) = delete;
  RealBus& operator=(const RealBus&) = delete;

  bool started() const { return pid_ > 0; }
  const UnixSocketAddress& socket() const { return socket_; }

 private:
  UnixSocketAddress socket_;
  pid_t pid_ = -1;
};

TEST(BusProbeWithin, ARealBusAnswersTheHello) {
  const RealBus bus;
  ASSERT_TRUE(bus.started());
  // The daemon listens a moment after it starts.
  std::optional<BusProbe::Outcome> outcome;
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  do {
    outcome = BusProbe::within(bus.socket(), 5000);
  } while (outcome == BusProbe::Outcome::Absent && Clock::now() < deadline);
  EXPECT_EQ(outcome, BusProbe::Outcome::Answers);
}

TEST(BusProbeWithin, AServerThatAnswersIsFoundOneThatRefusesIsAbsent) {
  const FakeBus answers("vellicor-probe-answers-", Behaviour::Answers);
  ASSERT_TRUE(answers.listening());
  EXPECT_EQ(BusProbe::within(answers.socket(), 5000), BusProbe::Outcome::Answers);
  const FakeBus refuses("vellicor-probe-refuses-", Behaviour::Refuses);
  ASSERT_TRUE(refuses.listening());
  EXPECT_EQ(BusProbe::within(refuses.socket(), 5000), BusProbe::Outcome::Absent);
}

// Stopped before it authenticates, or hung after: neither costs more than the
// time given, and neither counts as a bus that answers.
TEST(BusProbeWithin, AStoppedOrStalledServerCostsNoMoreThanTheTimeGiven) {
  for (const Behaviour behaviour : {Behaviour::Silent, Behaviour::AuthenticatesThenStalls}) {
    const FakeBus bus("vellicor-probe-stalls-", behaviour);
    ASSERT_TRUE(bus.listening());
    const auto start = Clock::now();
    EXPECT_EQ(BusProbe::within(bus.socket(), 200), std::nullopt);
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(200));
    EXPECT_LT(waited, std::chrono::seconds(3));
  }
}

TEST(BusProbeWithin, NobodyListeningIsAbsent) {
  EXPECT_EQ(BusProbe::within({true, "vellicor-probe-nobody-" + std::to_string(getpid())}, 5000),
            BusProbe::Outcome::Absent);
  EXPECT_EQ(BusProbe::within({false, "/nonexistent/vellicor/bus"}, 5000),
            BusProbe::Outcome::Absent);
}

}  // namespace
}  // namespace vellicor::qt
