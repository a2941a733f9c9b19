// The status item's menu, used as a person uses it: a click on the tray icon,
// then the pointer or the keyboard.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "running_program.h"

namespace vellicor::e2e {
namespace {

// tools/x-session's primary monitor, where the tray is.
constexpr Box kPrimary{1280, 0, 1440, 900};

class TrayMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x.connected());
    resetKeyboard(x);
    ensureTrayHost(x);
    program = std::make_unique<RunningProgram>("menu");
    ASSERT_TRUE(program->started()) << program->log();
    ASSERT_TRUE(screen.openMenu()) << "no menu after a click on the tray icon";
    ASSERT_TRUE(eventually([&] { return screen.menuBox().has_value(); }));
  }
  void TearDown() override { resetKeyboard(x); }

  // Quitting ends the program with status 0 and takes its icon and windows away.
  void expectQuitCleanly() {
    const auto status = program->wait(10);
    ASSERT_TRUE(status.has_value()) << "still running";
    EXPECT_EQ(*status, 0) << program->log();
    EXPECT_FALSE(screen.trayIcon().has_value());
    EXPECT_TRUE(x.viewableWindowsOf("vellicor").empty());
  }

  // The menu is wide (eliding goes no further than it must), and the shortcut
  // column right of the quit item's title is drawn.
  void expectShortcutShown() {
    const Box menu = *screen.menuBox();
    EXPECT_GT(menu.width, kPrimary.width / 2) << "elided further than it needs to be";
    const Box shortcut{menu.x + menu.width * 3 / 4, menu.y + menu.height - 20, menu.width / 4 - 4,
                       16};
    EXPECT_TRUE(eventually([&] { return x.inkIn(shortcut) > 20; }))
        << "nothing drawn where Ctrl+Q belongs";
  }

  XTestClient x;
  std::unique_ptr<RunningProgram> program;
  Screen screen{x};
};

TEST_F(TrayMenu, ChoosingQuitWithThePointerEndsTheProgram) {
  const Box menu = *screen.menuBox();
  // The quit item is the last row; the pointer goes a little above the bottom edge.
  x.movePointer(menu.centreX(), menu.y + menu.height - 10);
  x.click(1);
  expectQuitCleanly();
}

TEST_F(TrayMenu, ChoosingQuitWithTheKeyboardEndsTheProgram) {
  // The name line cannot be chosen, so Down goes straight to 종료.
  x.pressKeys({"Down"});
  x.pressKeys({"Return"});
  expectQuitCleanly();
}

TEST_F(TrayMenu, TheShortcutShownBesideQuitWorksWhileTheMenuIsOpen) {
  x.pressKeys({"Control_L", "q"});
  expectQuitCleanly();
}

TEST_F(TrayMenu, TheRightButtonOpensTheSameMenu) {
  x.pressKeys({"Escape"});
  ASSERT_TRUE(eventually([&] { return screen.menu() == 0; }));
  ASSERT_TRUE(screen.openMenu(3)) << "no menu after a right click on the tray icon";
  ASSERT_TRUE(eventually([&] { return screen.menuBox().has_value(); }));
  EXPECT_TRUE(screen.menuBox()->inside(kPrimary));
  x.pressKeys({"Down"});
  x.pressKeys({"Return"});
  expectQuitCleanly();
}

TEST_F(TrayMenu, EscapeClosesTheMenuAndTheProgramRunsOn) {
  x.pressKeys({"Escape"});
  EXPECT_TRUE(eventually([&] { return screen.menu() == 0; }));
  EXPECT_TRUE(program->running());
  x.lockGroup(1);
  EXPECT_TRUE(program->waitForLog("입력 언어 변경: " + kEnglish + " → " + kKorean));
}

TEST_F(TrayMenu, AChangeWhileTheMenuIsOpenKeepsItOnTheScreen) {
  ASSERT_TRUE(screen.menuBox()->inside(kPrimary));
  const int narrow = screen.menuBox()->width;
  // The Korean name is wider: the open menu grows, and stays on the monitor.
  x.lockGroup(1);
  ASSERT_TRUE(eventually([&] { return screen.menuBox()->width > narrow; }))
      << "the open menu did not take the new name";
  EXPECT_TRUE(screen.menuBox()->inside(kPrimary));
  EXPECT_NE(screen.menu(), 0u);
}

TEST_F(TrayMenu, ANameTooWideForTheScreenIsElidedInTheMenuOnly) {
  // 253 characters: as long as a name is shown whole, wider than the monitor.
  std::string wide;
  for (int i = 0; i < 50; ++i) {
    wide += "Wide ";
  }
  wide += "end";
  // The group in use takes the long name while the menu is open.
  ASSERT_TRUE(x.setGroupNames({wide, kKorean}));
  ASSERT_TRUE(program->waitForLog(kEnglish + " → " + wide + "\n"));
  ASSERT_TRUE(eventually([&] { return screen.menuBox()->inside(kPrimary); }))
      << "the open menu left the monitor";
  expectShortcutShown();
  // The log and the HUD keep the whole name.
  EXPECT_EQ(program->linesWith(kEnglish + " → " + wide), 1);
  EXPECT_TRUE(eventually([&] { return screen.hudText() == wide; })) << screen.hudText();

  // Closed with a click elsewhere (a key from another device would bring the
  // server's own keymap names back), then opened again with the long name.
  x.movePointer(kPrimary.x + 100, kPrimary.y + 600);
  x.click(1);
  ASSERT_TRUE(eventually([&] { return screen.menu() == 0; }));
  ASSERT_TRUE(screen.openMenu());
  ASSERT_TRUE(eventually([&] { return screen.menuBox().has_value(); }));
  EXPECT_TRUE(screen.menuBox()->inside(kPrimary));
  expectShortcutShown();
}

}  // namespace
}  // namespace vellicor::e2e
