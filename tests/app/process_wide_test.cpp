#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/vellicor_app.h"
#include "hud/hud_manager.h"
#include "platform/sim/sim_desktop.h"

namespace vellicor {
namespace {

// Lives as long as the process, as the shared HUD manager built from it does.
sim::SimDesktop& processDesktop() {
  static auto* const desktop = new sim::SimDesktop;
  return *desktop;
}

TEST(SharedHUDManager, IsBuiltOnceWhenThreadsRaceToIt) {
  sim::SimDesktop& d = processDesktop();
  const Platform platform = d.platform();
  constexpr int kThreads = 8;
  std::vector<std::shared_ptr<HUDManager>> seen(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] { seen[static_cast<size_t>(i)] = HUDManager::shared(platform); });
  }
  for (auto& t : threads) {
    t.join();
  }
  for (const auto& manager : seen) {
    EXPECT_EQ(manager, seen.front());
  }
  EXPECT_EQ(HUDManager::shared(platform), seen.front());
  EXPECT_EQ(d.windows.windows().size(), 1u);
  EXPECT_EQ(d.windows.activations(), 1u);
}

TEST(Entry, RunsTheEventLoopUntilQuitAndReturnsZero) {
  sim::SimDesktop& d = processDesktop();
  const auto offMainBefore = d.probe.offMainCalls();
  d.inputSources.setCurrent(sim::identifiedSource("com.apple.inputmethod.Korean.2SetKorean"));
  auto quit = d.threads.makeTimerSource();
  quit->schedule(2.0);
  quit->setEventHandler([&] {
    d.selectSource(sim::namedSource("ABC", "a"));
    d.threads.asyncMain([&] { d.chooseStatusMenuItem(2); });
  });
  quit->activate();

  EXPECT_EQ(VellicorApp::main(d.platform()), 0);
  EXPECT_TRUE(d.application.terminated());
  EXPECT_EQ(d.log.lines(), (std::vector<std::string>{"Vellicor 앱 시작. 현재: 한국어",
                                                     "입력 언어 변경: 한국어 → ABC"}));
  EXPECT_TRUE(d.statusBar.installed().empty());
  ASSERT_EQ(d.windows.windows().size(), 1u);
  const auto& hud = *d.windows.windows().front();
  EXPECT_EQ(hud.orderFronts, 1u);
  EXPECT_FALSE(hud.visible);  // quit took it down before its timer
  EXPECT_EQ(d.probe.offMainCalls(), offMainBefore);
}

}  // namespace
}  // namespace vellicor
