// Switching input sources the way people and their tools do: layout keys,
// auto-typing tools that flip the group around every key, keymaps changed with
// setxkbmap, keymaps renamed again and again by another client, and keymaps
// whose group names hold control characters.

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "running_program.h"

namespace vellicor::e2e {
namespace {

class Switching : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x.connected());
    resetKeyboard(x);
  }
  void TearDown() override { resetKeyboard(x); }

  XTestClient x;
  Screen screen{x};
};

TEST_F(Switching, SurvivesFloodsOfFlipsBetweenNamesOfDifferentWidths) {
  RunningProgram program("flood");
  ASSERT_TRUE(program.started()) << program.log();
  for (int burst = 0; burst < 30; ++burst) {
    x.flipGroups(10000, 64);
    // The program shows a name between two bursts, while the next one arrives.
    pause(0.03);
    ASSERT_TRUE(program.running()) << "ended in burst " << burst << ":\n" << program.log();
  }
  x.lockGroup(1);
  ASSERT_TRUE(eventually([&] { return screen.hudText() == kKorean; }, 30))
      << "the HUD shows \"" << screen.hudText() << "\"";
  const auto lines = program.logLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines.back().find("→ " + kKorean), std::string::npos) << lines.back();
  EXPECT_TRUE(program.running());
  program.signal(SIGTERM);
  EXPECT_EQ(program.wait(10), 0);
}

TEST_F(Switching, AKeymapChangeFollowedAtOnceByASwitchIsAnnouncedOnceWithTheNewNames) {
  RunningProgram program("keymap");
  ASSERT_TRUE(program.started()) << program.log();
  ASSERT_TRUE(run({"setxkbmap", "-layout", "us,de"}));
  x.lockGroup(1);
  ASSERT_TRUE(program.waitForLog("입력 언어 변경: " + kEnglish + " → German\n"));
  // Time for a late correction, which must not come.
  pause(0.3);
  EXPECT_EQ(program.linesWith("입력 언어 변경"), 1) << program.log();
  EXPECT_EQ(program.linesWith("→ " + kKorean), 0);
}

TEST_F(Switching, EverySwitchIsAnnouncedWhileAnotherClientKeepsRenamingAGroup) {
  RunningProgram program("renames");
  ASSERT_TRUE(program.started()) << program.log();
  // Group 2, which this keyboard does not use, renamed every 20 ms: the keymap
  // is never quiet for long, and each switch comes amid its name changes.
  int renames = 0;
  const auto rename = [&] { return x.setGroupName(2, renames++ % 2 == 0 ? "Third" : "Other"); };
  constexpr int kSwitches = 60;
  for (int i = 0; i < kSwitches; ++i) {
    ASSERT_TRUE(rename());
    x.lockGroup(i % 2 == 0 ? 1 : 0);
    // The renaming goes on until the switch is logged (for 10 s at the most).
    bool logged = false;
    for (int wait = 0; wait < 500 && !logged; ++wait) {
      pause(0.02);
      logged = program.linesWith("입력 언어 변경") > i;
      if (!logged) {
        rename();
      }
    }
    ASSERT_TRUE(logged) << "switch " << i + 1 << " of " << kSwitches << " was not logged\n"
                        << program.log();
  }
  // Time for a late line, which must not come.
  pause(0.3);
  std::vector<std::string> changes;
  for (const auto& line : program.logLines()) {
    if (const auto at = line.find("입력 언어 변경: "); at != std::string::npos) {
      changes.push_back(line.substr(at));
    }
  }
  ASSERT_EQ(changes.size(), static_cast<std::size_t>(kSwitches)) << program.log();
  for (std::size_t i = 0; i < changes.size(); ++i) {
    EXPECT_EQ(changes[i], "입력 언어 변경: " + (i % 2 == 0 ? kEnglish + " → " + kKorean
                                                           : kKorean + " → " + kEnglish))
        << "line " << i + 1;
  }
  EXPECT_TRUE(eventually([&] { return screen.hudText() == kEnglish; }))
      << "the HUD shows \"" << screen.hudText() << "\"";
}

TEST_F(Switching, AGroupLockedBeyondANewKeymapsGroupsIsBroughtBackIntoRange) {
  RunningProgram program("range");
  ASSERT_TRUE(program.started()) << program.log();
  ASSERT_TRUE(run({"setxkbmap", "-layout", "us,kr,de,fr", "-variant", ",kr104,,"}));
  x.lockGroup(2);
  ASSERT_TRUE(program.waitForLog("→ German\n"));
  // One group left: the server still reports group 3 until the next change of
  // state, and XKB wraps it into range, to the only group.
  ASSERT_TRUE(run({"setxkbmap", "-layout", "us"}));
  ASSERT_TRUE(program.waitForLog("입력 언어 변경: German → " + kEnglish + "\n")) << program.log();
  pause(0.3);
  EXPECT_EQ(program.linesWith("알 수 없음"), 0) << program.log();
}

TEST_F(Switching, ControlCharactersInNamesAreEscapedInTheLogAndShownVisiblyOnOneLine) {
  RunningProgram program("controls");
  ASSERT_TRUE(program.started()) << program.log();
  struct Case {
    std::string name;    // as the keymap names the group
    std::string logged;  // as the log writes it
    std::string shown;   // as the HUD shows it, on one line, controls as pictures
  };
  const Case cases[] = {
      {"Line\nBreak", "Line\\nBreak", "Line Break"},
      {"Esc\x1b[2J\x1b]0;title\x07Seq", "Esc\\x1b[2J\\x1b]0;title\\x07Seq",
       "Esc\xE2\x90\x9B[2J\xE2\x90\x9B]0;title\xE2\x90\x87Seq"},
      {"Tab\tbed", "Tab\\tbed", "Tab bed"},
      {"Next\xC2\x85Line", "Next\\u0085Line", "Next Line"},
      {"Back\\nslash", "Back\\\\nslash", "Back\\nslash"},
      {"\xE2\x80\xAE"
       "Dvorak\xE2\x80\xAC",
       "\\u202eDvorak\\u202c",
       "\xE2\x80\xAE"
       "Dvorak\xE2\x80\xAC"},
  };
  unsigned group = 0;
  for (const auto& c : cases) {
    group = 1 - group;
    // The other group gets the odd name; a rename of the group in use would do too.
    ASSERT_TRUE(x.setGroupNames(group == 1 ? std::vector<std::string>{kEnglish, c.name}
                                           : std::vector<std::string>{c.name, kKorean}));
    x.lockGroup(group);
    ASSERT_TRUE(program.waitForLog(c.logged + "\n")) << c.logged << "\n" << program.log();
    EXPECT_EQ(program.linesWith("→ " + c.logged), 1) << c.logged;
    EXPECT_TRUE(eventually([&] { return screen.hudText() == c.shown; }))
        << "the HUD shows \"" << screen.hudText() << "\"";
  }
  // No raw control character, no C1 control and no override anywhere in what
  // the program wrote.
  const std::string log = program.log();
  EXPECT_EQ(log.find("\xE2\x80\xAE"), std::string::npos);
  for (std::size_t i = 0; i < log.size(); ++i) {
    const auto byte = static_cast<unsigned char>(log[i]);
    EXPECT_FALSE(byte < 0x20 && byte != '\n') << "raw control byte " << int(byte) << " at " << i;
    EXPECT_FALSE(byte == 0xC2 && i + 1 < log.size() &&
                 static_cast<unsigned char>(log[i + 1]) >= 0x80 &&
                 static_cast<unsigned char>(log[i + 1]) <= 0x9F)
        << "raw C1 control at " << i;
  }
}

}  // namespace
}  // namespace vellicor::e2e
