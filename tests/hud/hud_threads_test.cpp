#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/app_world.h"

namespace vellicor::testing {
namespace {

TEST(HUDThreads, ShowFromAnotherThreadReturnsFirstThenActsOnTheMainThread) {
  AppWorld w;
  auto hud = w.hud();
  sim::SimWindow& window = *w.hudWindow();
  std::thread helper([&] { hud->show("ABC", 2.0); });
  helper.join();
  EXPECT_FALSE(window.visible);
  EXPECT_EQ(w.desktop.threads.armedTimerCount(), 0u);

  w.desktop.threads.runPending();
  EXPECT_TRUE(window.visible);
  EXPECT_EQ(sim::findLabel(window)->stringValue, "ABC");
  w.desktop.threads.advance(1.99);
  EXPECT_TRUE(window.visible);
  w.desktop.threads.advance(0.02);
  EXPECT_FALSE(window.visible);
  EXPECT_EQ(w.desktop.probe.offMainCalls(), 0u);
}

TEST(HUDThreads, AHandedOverCallKeepsTheManagerAliveUntilItRuns) {
  AppWorld w;
  std::weak_ptr<HUDManager> weak = w.hud();
  std::thread helper([&] {
    weak.lock()->show("ABC", 1.2);
    weak.lock()->invalidate();
  });
  helper.join();
  w.hudManager.reset();
  EXPECT_FALSE(weak.expired());
  EXPECT_EQ(w.desktop.threads.runPending(), 2u);
  EXPECT_TRUE(weak.expired());
}

TEST(HUDThreads, InvalidateFromAnotherThreadTakesEffectInQueueOrder) {
  AppWorld w;
  auto hud = w.hud();
  sim::SimWindow& window = *w.hudWindow();
  hud->show("ABC", 1.2);
  std::thread helper([&] { hud->invalidate(); });
  helper.join();
  EXPECT_TRUE(window.visible);
  // A later call made on the main thread takes effect first.
  hud->show("Dvorak", 1.2);
  w.desktop.threads.runPending();
  EXPECT_FALSE(window.visible);
  EXPECT_EQ(w.desktop.threads.armedTimerCount(), 0u);
  EXPECT_EQ(w.desktop.probe.offMainCalls(), 0u);
}

TEST(HUDThreads, TheHideActionDoesNotKeepTheManagerAlive) {
  AppWorld w;
  std::weak_ptr<HUDManager> weak = w.hud();
  w.hud()->show("ABC", 1.2);
  auto window = w.desktop.windows.windows().front();
  w.hudManager.reset();
  EXPECT_TRUE(weak.expired());
  w.desktop.threads.advance(2);  // the armed timer fires and finds no manager
  EXPECT_TRUE(window->visible);
}

TEST(HUDThreads, CallersOnManyThreadsWhileTheMainThreadRunsNeverTouchTheDesktopOffIt) {
  AppWorld w;
  w.desktop.inputSources.setCurrent(sim::namedSource("ABC", "a"));
  w.launch();
  auto hud = w.hud();
  constexpr int kHelpers = 3;
  constexpr int kCalls = 300;
  std::atomic<int> running = kHelpers;
  std::vector<std::thread> helpers;
  for (int h = 0; h < kHelpers; ++h) {
    helpers.emplace_back([&, h] {
      for (int i = 0; i < kCalls; ++i) {
        hud->show("helper " + std::to_string(h) + " call " + std::to_string(i), 1.2);
        w.delegate->updateStatusMenu();
        if (i % 7 == 0) {
          hud->invalidate();
        }
      }
      --running;
    });
  }
  std::size_t ran = 0;
  while (running > 0) {
    ran += w.desktop.threads.runPending();
  }
  for (auto& t : helpers) {
    t.join();
  }
  ran += w.desktop.threads.runPending();
  EXPECT_EQ(ran, std::size_t{kHelpers} * (2 * kCalls + (kCalls + 6) / 7));
  EXPECT_LE(w.desktop.threads.armedTimerCount(), 1u);
  EXPECT_EQ(w.desktop.probe.offMainCalls(), 0u);

  std::thread last([&] { hud->show("last", 1.2); });
  last.join();
  w.desktop.threads.runPending();
  EXPECT_TRUE(w.hudWindow()->visible);
  EXPECT_EQ(sim::findLabel(*w.hudWindow())->stringValue, "last");
  EXPECT_EQ(w.desktop.threads.armedTimerCount(), 1u);
}

}  // namespace
}  // namespace vellicor::testing
