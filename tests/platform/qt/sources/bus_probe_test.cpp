// The probe made before Qt starts: a server that answers is found at once,
// one that is stopped (it accepted the connection and says nothing) costs no
// more than the time given, and a socket nobody listens at is absent.

#include "platform/qt/sources/bus_probe.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "local_listener.h"

namespace vellicor::qt {
namespace {

// Takes one connection and answers its first line, as a bus does.
void answerOne(const LocalListener& listener) {
  const int peer = listener.accept();
  char buffer[256];
  if (peer >= 0 && read(peer, buffer, sizeof buffer) > 0) {
    const char reply[] = "REJECTED EXTERNAL\r\n";
    [[maybe_unused]] const ssize_t n = write(peer, reply, sizeof reply - 1);
  }
  if (peer >= 0) {
    close(peer);
  }
}

using Clock = std::chrono::steady_clock;

TEST(BusProbeWithin, AnAnsweringServerIsFoundAndASilentOneCostsNoMoreThanTheTimeGiven) {
  const LocalListener answering("vellicor-probe-answers-");
  ASSERT_TRUE(answering.listening());
  std::thread server([&] { answerOne(answering); });
  EXPECT_EQ(BusProbe::within(answering.address(), 5000), BusProbe::Outcome::Answers);
  server.join();

  const LocalListener silent("vellicor-probe-silent-");
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
