#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/app_world.h"

namespace vellicor::testing {
namespace {

using sim::namedSource;
using sim::SimSource;
using sim::simString;

class InputSourceChange : public ::testing::Test {
 protected:
  void SetUp() override {
    w.desktop.inputSources.setCurrent(namedSource("2-Set Korean", "k"));
    w.launch();
  }
  std::vector<std::string> changes() {
    auto lines = w.log();
    lines.erase(lines.begin());
    return lines;
  }
  AppWorld w;
};

TEST_F(InputSourceChange, AnnouncesOnEveryChannelAgainstTheNameReadAtStartUp) {
  w.switchTo(namedSource("ABC", "a"));
  EXPECT_EQ(changes(), std::vector<std::string>{"입력 언어 변경: 2-Set Korean → ABC"});
  EXPECT_EQ(w.delegate->currentName(), "ABC");
  EXPECT_EQ(w.badge(), "A");
  EXPECT_EQ(w.menuLine(), "현재 언어: ABC");
  ASSERT_NE(w.hudWindow(), nullptr);
  EXPECT_TRUE(w.hudWindow()->visible);
  EXPECT_EQ(sim::findLabel(*w.hudWindow())->stringValue, "ABC");
  // The hide timer is already running when the handler returns, beside the
  // wait before a screen reader is told.
  EXPECT_EQ(w.desktop.threads.armedTimerCount(), 2u);
}

TEST_F(InputSourceChange, AnUnchangedNameDoesNothingAtAll) {
  const auto buttonSets = w.statusItem().simButton->titleSets;
  w.desktop.repostSourceChanged();  // a repeated notification
  w.desktop.threads.runPending();
  w.switchTo(namedSource("2-Set Korean", "another.source.same.name"));
  EXPECT_TRUE(changes().empty());
  EXPECT_EQ(w.statusItem().simButton->titleSets, buttonSets);
  EXPECT_EQ(w.hudManager, nullptr);
}

TEST_F(InputSourceChange, NormalizationFormsAreTheSameNameButCaseIsNot) {
  w.switchTo(namedSource("한국어", "k"));
  ASSERT_EQ(changes().size(), 1u);
  // The same name spelled with conjoining jamo.
  w.switchTo(namedSource("\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB국어", "k"));
  EXPECT_EQ(changes().size(), 1u);
  EXPECT_EQ(w.delegate->currentName(), "한국어");
  w.switchTo(namedSource("abc", "a"));
  w.switchTo(namedSource("ABC", "a"));
  EXPECT_EQ(changes().size(), 3u);
}

TEST_F(InputSourceChange, QuickChangesAreAllAnnouncedInOrderAndRestartTheHide) {
  w.switchTo(namedSource("ABC", "a"));
  w.desktop.threads.advance(0.5);
  w.switchTo(SimSource{});  // a source that cannot be named
  w.desktop.threads.advance(0.5);
  w.switchTo(namedSource("2-Set Korean", "k"));
  EXPECT_EQ(changes(), (std::vector<std::string>{"입력 언어 변경: 2-Set Korean → ABC",
                                                 "입력 언어 변경: ABC → 알 수 없음",
                                                 "입력 언어 변경: 알 수 없음 → 2-Set Korean"}));
  EXPECT_EQ(w.badge(), "한");
  w.desktop.threads.advance(1.19);
  EXPECT_TRUE(w.hudWindow()->visible);
  w.desktop.threads.advance(0.02);
  EXPECT_FALSE(w.hudWindow()->visible);
  EXPECT_EQ(w.hudWindow()->orderFronts, 3u);
  // One hide (the first two were cancelled), and each change told a screen
  // reader once it had settled.
  EXPECT_EQ(w.desktop.threads.firedTimerCount(), 4u);
}

TEST_F(InputSourceChange, NamesAreLoggedVerbatim) {
  w.switchTo(namedSource("50% %s %@ %n", "x"));
  EXPECT_EQ(changes(), std::vector<std::string>{"입력 언어 변경: 2-Set Korean → 50% %s %@ %n"});
}

TEST_F(InputSourceChange, ControlsInANameAreEscapedInTheLogAndShownVisiblyOnOneLine) {
  const std::string name = "Line\nBreak\x1b[2J\tTab\xC2\x85Next\\n";
  w.switchTo(namedSource(name, "x"));
  // The stored name is the name as it came; only what is written changes.
  EXPECT_EQ(w.delegate->currentName(), name);
  const std::string logged = "Line\\nBreak\\x1b[2J\\tTab\\u0085Next\\\\n";
  EXPECT_EQ(changes(), std::vector<std::string>{"입력 언어 변경: 2-Set Korean → " + logged});
  // ESC shows as its picture, U+241B.
  EXPECT_EQ(w.menuLine(), "현재 언어: Line Break\xE2\x90\x9B[2J Tab Next\\n");
  EXPECT_EQ(sim::findLabel(*w.hudWindow())->stringValue, "Line Break\xE2\x90\x9B[2J Tab Next\\n");
  EXPECT_EQ(w.badge(), "L");
  // The next change names it in the log the same way.
  w.switchTo(namedSource("ABC", "a"));
  EXPECT_EQ(changes().back(), "입력 언어 변경: " + logged + " → ABC");
}

TEST_F(InputSourceChange, HardNamesFlowThroughBadgeMenuAndHUD) {
  struct Hard {
    std::string name;
    std::string badge;
  };
  const std::string family =
      "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7";
  const std::vector<Hard> names{
      {std::string(10000, 'x'), "X"},
      {"", "A"},
      {"e\xCC\x81tude", "E\xCC\x81"},
      {family + " family", family},
      {"\xD7\xA2\xD7\x91\xD7\xA8\xD7\x99\xD7\xAA", "\xD7\xA2"},
      {"\xFF\xFE", "\xEF\xBF\xBD"},
      {std::string(1 << 20, 'm'), "M"},
      // Combining marks only: the first cluster is all of them.
      {"\xCC\x81\xCC\x81\xCC\x81", "\xCC\x81\xCC\x81\xCC\x81"},
      // Right-to-left override and pop around Latin letters.
      {"\xE2\x80\xAE"
       "Dvorak\xE2\x80\xAC",
       "\xE2\x80\xAE"},
      {std::string("D\0vorak", 7), "D"},
      {"%n%s%@", "%"},
  };
  // As the log writes each name: the NUL and the two bidi controls are the
  // controls among them.
  const auto logged = [](const std::string& name) -> std::string {
    if (name == std::string("D\0vorak", 7)) {
      return "D\\x00vorak";
    }
    if (name ==
        "\xE2\x80\xAE"
        "Dvorak\xE2\x80\xAC") {
      return "\\u202eDvorak\\u202c";
    }
    return name;
  };
  // As the menu and the panel show each name: the NUL as its picture.
  const auto labelled = [](const std::string& name) -> std::string {
    return name == std::string("D\0vorak", 7) ? "D\xE2\x90\x80vorak" : name;
  };
  for (const auto& hard : names) {
    const std::string before = w.delegate->currentName();
    w.switchTo(SimSource{simString(hard.name), std::nullopt});
    const std::string shown = w.delegate->currentName();
    EXPECT_EQ(shown, w.desktop.text.validUTF8(hard.name));
    EXPECT_EQ(w.log().back(), "입력 언어 변경: " + logged(before) + " → " + logged(shown));
    EXPECT_EQ(w.badge(), hard.badge);
    EXPECT_EQ(w.menuLine(), "현재 언어: " + labelled(shown));
    EXPECT_EQ(sim::findLabel(*w.hudWindow())->stringValue, labelled(shown));
    EXPECT_LE(w.hudWindow()->frame.size.width, 520.0);
  }
  EXPECT_EQ(w.desktop.probe.offMainCalls(), 0u);
}

TEST_F(InputSourceChange, ABurstOfTenThousandSwitchesIsAnnouncedInFullAndLeavesOneHide) {
  constexpr int kSwitches = 10000;
  for (int i = 0; i < kSwitches; ++i) {
    w.switchTo(namedSource(i % 2 == 0 ? "ABC" : "2-Set Korean", "x"));
  }
  // Queued notifications all read the source selected last: none is a change.
  for (int i = 0; i < 100; ++i) {
    w.desktop.selectSource(namedSource(i % 2 == 0 ? "ABC" : "2-Set Korean", "x"));
  }
  w.desktop.threads.runPending();
  const auto lines = changes();
  ASSERT_EQ(lines.size(), size_t{kSwitches});
  EXPECT_EQ(lines.front(), "입력 언어 변경: 2-Set Korean → ABC");
  EXPECT_EQ(lines.back(), "입력 언어 변경: ABC → 2-Set Korean");
  EXPECT_EQ(w.badge(), "한");
  // One hide and one wait for the burst to settle.
  EXPECT_EQ(w.desktop.threads.armedTimerCount(), 2u);
  w.desktop.threads.advance(1.19);
  EXPECT_TRUE(w.hudWindow()->visible);
  w.desktop.threads.advance(0.02);
  EXPECT_FALSE(w.hudWindow()->visible);
  EXPECT_EQ(w.desktop.threads.firedTimerCount(), 2u);
  // It ended on the name the program started with: nothing to tell.
  EXPECT_TRUE(w.desktop.accessibility.announcements().empty());
}

}  // namespace
}  // namespace vellicor::testing
