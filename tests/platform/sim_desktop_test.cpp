// The simulated desktop is what every other test stands on: its clock, queue and
// timers must keep the promises real desktops make.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "platform/common/timer_delay.h"
#include "platform/sim/sim_desktop.h"

namespace vellicor::sim {
namespace {

TEST(SimThreads, TimersFireInDeadlineOrderAndNeverAfterCancel) {
  SimDesktop d;
  std::vector<std::string> fired;
  auto later = d.threads.makeTimerSource();
  auto sooner = d.threads.makeTimerSource();
  auto cancelled = d.threads.makeTimerSource();
  later->schedule(2.0);
  later->setEventHandler([&] { fired.push_back("later@" + std::to_string(d.threads.now())); });
  sooner->schedule(1.0);
  sooner->setEventHandler([&] {
    fired.push_back("sooner");
    cancelled->cancel();  // due at the same moment, but cancelled first
  });
  cancelled->schedule(1.0);
  cancelled->setEventHandler([&] { fired.push_back("cancelled"); });
  later->activate();
  sooner->activate();
  cancelled->activate();

  d.threads.advance(0.999);
  EXPECT_TRUE(fired.empty());
  d.threads.advance(5);
  ASSERT_EQ(fired.size(), 2u);
  EXPECT_EQ(fired[0], "sooner");
  EXPECT_EQ(fired[1], "later@2.000000");
  EXPECT_EQ(d.threads.armedTimerCount(), 0u);
}

TEST(SimThreads, WorkFromOtherThreadsRunsOnTheMainThreadInOrder) {
  SimDesktop d;
  std::vector<int> order;
  bool allOnMain = true;
  std::thread helper([&] {
    EXPECT_FALSE(d.threads.isMainThread());
    for (int i = 0; i < 3; ++i) {
      d.threads.asyncMain([&, i] {
        allOnMain = allOnMain && d.threads.isMainThread();
        order.push_back(i);
      });
    }
  });
  helper.join();
  EXPECT_TRUE(order.empty());
  EXPECT_EQ(d.threads.runPending(), 3u);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  EXPECT_TRUE(allOnMain);
}

TEST(TimerDelays, OnlyFiniteFutureDelaysWaitAndNoneWaitsBeyondTheLongest) {
  using std::chrono::nanoseconds;
  constexpr double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(timerDelay(1.2), nanoseconds(1'200'000'000));
  EXPECT_EQ(timerDelay(1e-9), nanoseconds(1));
  for (double dueAtOnce : {0.0, -0.0, -3.0, -inf, inf, std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(timerDelay(dueAtOnce), nanoseconds::zero()) << dueAtOnce;
  }
  EXPECT_EQ(timerDelay(1e300), kLongestTimerDelay);
  EXPECT_EQ(timerDelay(std::numeric_limits<double>::max()), kLongestTimerDelay);
  EXPECT_EQ(timerDelay(2'147'483.646), nanoseconds(2'147'483'646'000'000));
}

TEST(SimThreads, NonFiniteDeadlinesComeDueAtOnce) {
  SimDesktop d;
  for (double delay :
       {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    bool fired = false;
    auto timer = d.threads.makeTimerSource();
    timer->schedule(delay);
    timer->setEventHandler([&] { fired = true; });
    timer->activate();
    EXPECT_EQ(d.threads.nextDeadline(), d.threads.now());
    d.threads.advance(0);
    EXPECT_TRUE(fired) << delay;
  }
}

TEST(SimNotifications, RemovedObserversAreNotCalledEvenWhenAlreadyQueued) {
  SimDesktop d;
  int calls = 0;
  auto token = d.distributedCenter.addObserver("n", [&] { ++calls; });
  d.distributedCenter.post("n");
  d.distributedCenter.post("other");
  d.threads.runPending();
  EXPECT_EQ(calls, 1);
  d.distributedCenter.post("n");
  d.distributedCenter.removeObserver(token);
  d.threads.runPending();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(d.distributedCenter.observerCount("n"), 0u);
}

}  // namespace
}  // namespace vellicor::sim
