#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "support/app_world.h"

namespace vellicor::testing {
namespace {

using sim::namedSource;

TEST(StatusMenu, HasTheNameLineASeparatorAndTheQuitItem) {
  AppWorld w;
  w.desktop.inputSources.setCurrent(namedSource("한국어", "k"));
  w.launch();
  const sim::SimMenu& menu = *w.statusItem().simMenu();
  ASSERT_EQ(menu.items.size(), 3u);
  EXPECT_EQ(menu.items[0]->title, "현재 언어: 한국어");
  EXPECT_TRUE(menu.items[0]->action.empty());
  EXPECT_EQ(menu.items[0]->keyEquivalent, "");
  EXPECT_TRUE(menu.items[1]->separator);
  EXPECT_EQ(menu.items[2]->title, "종료");
  EXPECT_EQ(menu.items[2]->action, "quitApp");
  EXPECT_EQ(menu.items[2]->keyEquivalent, "q");
  EXPECT_EQ(w.badge(), "한");
  // The name line has no action: choosing it does nothing.
  EXPECT_FALSE(w.desktop.chooseStatusMenuItem(0));
  EXPECT_FALSE(w.desktop.application.terminated());
  EXPECT_FALSE(w.delegate->performAction("somethingElse"));
}

TEST(StatusMenu, TheNameLineShowsBreaksAsSpacesAndOtherControlsAsTheirPictures) {
  AppWorld w;
  w.desktop.inputSources.setCurrent(namedSource("Two\nLines\x1b\x7f\xC2\x90", "k"));
  w.launch();
  EXPECT_EQ(w.menuLine(), "현재 언어: Two Lines\xE2\x90\x9B\xE2\x90\xA1");
}

TEST(StatusMenu, AnUpdateFromAnotherThreadWaitsForTheMainThreadAndReadsTheLatestName) {
  AppWorld w;
  w.desktop.inputSources.setCurrent(namedSource("ABC", "a"));
  w.launch();
  const auto sets = w.statusItem().simButton->titleSets;

  // The switch is queued first, so it lands between the calls and their effect.
  w.desktop.selectSource(namedSource("Dvorak", "d"));
  std::thread helper([&] {
    w.delegate->updateStatusMenu();
    w.delegate->updateStatusMenu();
  });
  helper.join();
  EXPECT_EQ(w.statusItem().simButton->titleSets, sets);
  EXPECT_EQ(w.desktop.threads.pendingCount(), 3u);

  w.desktop.threads.runPending();
  EXPECT_EQ(w.statusItem().simButton->titleSets, sets + 3);
  EXPECT_EQ(w.badge(), "D");
  EXPECT_EQ(w.menuLine(), "현재 언어: Dvorak");
  EXPECT_EQ(w.desktop.probe.offMainCalls(), 0u);
}

TEST(StatusMenu, AQueuedUpdateDoesNothingOnceTheDelegateIsGone) {
  AppWorld w;
  w.launch();
  std::thread helper([&] { w.delegate->updateStatusMenu(); });
  helper.join();
  auto item = w.desktop.statusBar.installed().at(0);
  const auto sets = item->simButton->titleSets;
  w.delegate.reset();
  EXPECT_EQ(w.desktop.threads.runPending(), 1u);
  EXPECT_EQ(item->simButton->titleSets, sets);
}

TEST(StatusMenu, UpdatesAfterCleanupDoNothing) {
  AppWorld w;
  w.launch();
  auto item = w.desktop.statusBar.installed().at(0);
  w.delegate->applicationWillTerminate();
  const auto sets = item->simButton->titleSets;
  w.delegate->updateStatusMenu();
  EXPECT_EQ(item->simButton->titleSets, sets);
  EXPECT_FALSE(item->installed);
}

TEST(StatusMenu, MissingButtonOrMenuIsSkippedPieceByPiece) {
  AppWorld w;
  w.desktop.statusBar.setItemsHaveButtons(false);
  w.desktop.inputSources.setCurrent(namedSource("ABC", "a"));
  w.launch();
  EXPECT_EQ(w.menuLine(), "현재 언어: ABC");

  AppWorld v;
  v.launch();
  v.statusItem().setMenu(nullptr);
  v.switchTo(namedSource("Dvorak", "d"));
  EXPECT_EQ(v.badge(), "D");

  AppWorld e;
  e.launch();
  e.statusItem().setMenu(e.desktop.statusBar.makeMenu());  // an empty menu
  e.switchTo(namedSource("Dvorak", "d"));
  EXPECT_EQ(e.badge(), "D");
}

TEST(StatusMenu, QuitCleansUpThenTerminatesAndTerminationCleansUpAgain) {
  AppWorld w;
  w.launch();
  ASSERT_TRUE(w.desktop.chooseStatusMenuItem(2));
  EXPECT_EQ(w.desktop.application.terminateRequests(), 1u);
  EXPECT_EQ(w.desktop.statusBar.removals(), 1u);
  EXPECT_EQ(w.desktop.statusBar.created(), 1u);
}

}  // namespace
}  // namespace vellicor::testing
