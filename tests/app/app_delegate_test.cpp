#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/app_world.h"

namespace vellicor::testing {
namespace {

using sim::namedSource;

const std::string kChanged = "com.apple.Carbon.TISNotifySelectedKeyboardInputSourceChanged";
const std::string kActivated = "NSWorkspaceDidActivateApplicationNotification";

TEST(StartUp, BuildsTheItemForTheUnknownNameThenShowsTheNameRead) {
  AppWorld w;
  w.desktop.inputSources.setCurrent(namedSource("ABC", "com.apple.keylayout.ABC"));
  EXPECT_EQ(w.delegate->currentName(), "알 수 없음");
  EXPECT_TRUE(w.desktop.statusBar.installed().empty());

  w.launch();

  auto& item = w.statusItem();
  EXPECT_EQ(item.length, -1.0);
  // Set once for the initial name, once for the name read.
  EXPECT_EQ(item.simButton->titleSets, 2u);
  EXPECT_EQ(w.badge(), "A");
  EXPECT_EQ(w.menuLine(), "현재 언어: ABC");
  EXPECT_EQ(w.log(), std::vector<std::string>{"Vellicor 앱 시작. 현재: ABC"});
  EXPECT_EQ(w.desktop.distributedCenter.observerCount(kChanged), 1u);
  EXPECT_EQ(w.desktop.workspaceCenter.observerCount(kActivated), 1u);
  // No HUD at start-up, although the name differs from the initial one.
  EXPECT_EQ(w.hudManager, nullptr);
}

TEST(StartUp, AnUnnamedSourceIsStoredShownAndLoggedLikeAnyName) {
  AppWorld w;
  w.launch();
  EXPECT_EQ(w.delegate->currentName(), "알 수 없음");
  EXPECT_EQ(w.badge(), "알");
  EXPECT_EQ(w.log(), std::vector<std::string>{"Vellicor 앱 시작. 현재: 알 수 없음"});
  EXPECT_EQ(w.hudManager, nullptr);
}

TEST(StartUp, ANameIsLoggedVerbatimWhateverFormatCharactersItHolds) {
  AppWorld w;
  w.desktop.inputSources.setCurrent(namedSource("100% %s%@%n %d", "x"));
  w.launch();
  EXPECT_EQ(w.log().at(0), "Vellicor 앱 시작. 현재: 100% %s%@%n %d");
}

TEST(Cleanup, QuitRemovesEverythingOnceAndInvalidatesTheHUDEachTime) {
  AppWorld w;
  w.desktop.inputSources.setCurrent(namedSource("ABC", "x"));
  w.launch();
  ASSERT_TRUE(w.desktop.chooseStatusMenuItem(2));

  EXPECT_TRUE(w.desktop.application.terminated());
  EXPECT_TRUE(w.desktop.statusBar.installed().empty());
  EXPECT_EQ(w.desktop.statusBar.removals(), 1u);
  EXPECT_EQ(w.desktop.distributedCenter.removals(), 1u);
  EXPECT_EQ(w.desktop.workspaceCenter.removals(), 1u);
  // Termination before any change builds the panel only to take it down, twice.
  ASSERT_NE(w.hudWindow(), nullptr);
  EXPECT_EQ(w.hudWindow()->orderFronts, 0u);
  EXPECT_EQ(w.hudWindow()->orderOuts, 3u);  // construction, then one per cleanup

  // A change after clean-up reaches nobody.
  w.switchTo(namedSource("Dvorak", "y"));
  EXPECT_EQ(w.log().size(), 1u);
  EXPECT_EQ(w.delegate->currentName(), "ABC");
}

TEST(Cleanup, DestroyingTheDelegateCleansUpAndLateNotificationsAreHarmless) {
  AppWorld w;
  w.launch();
  w.desktop.repostSourceChanged();
  w.delegate.reset();
  EXPECT_TRUE(w.desktop.statusBar.installed().empty());
  EXPECT_EQ(w.desktop.distributedCenter.observerCount(kChanged), 0u);
  EXPECT_EQ(w.desktop.threads.runPending(), 1u);  // the queued delivery finds no observer
  EXPECT_EQ(w.log().size(), 1u);
}

TEST(ActivationRecord, FollowsApplicationActivationAndChangesNothingElse) {
  AppWorld w;
  w.launch();
  EXPECT_EQ(w.delegate->lastActivation(), WallClock::distantPast());
  w.desktop.threads.advance(3.5);
  w.desktop.activateAnotherApplication();
  w.desktop.threads.runPending();
  EXPECT_EQ(w.delegate->lastActivation(), w.desktop.clock.now());
  EXPECT_EQ(w.log().size(), 1u);

  // A change right after an activation is still announced.
  w.switchTo(namedSource("Dvorak", "y"));
  EXPECT_EQ(w.log().size(), 2u);
}

}  // namespace
}  // namespace vellicor::testing
