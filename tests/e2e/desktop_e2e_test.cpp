// The whole program on a real X desktop (tools/x-session): the core and the Linux
// desktop in this process, the display, the tray host and the keyboard switches
// outside it. The program is launched once for the process, as in a user's
// session; each test starts from the same state (keyboard us,kr on its first
// group, a tray host, no HUD on screen), so any test runs alone or in any order.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "app/app_delegate.h"
#include "hud/hud_manager.h"
#include "launched_session.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/tray_menu.h"
#include "process_memory.h"

namespace vellicor::e2e {
namespace {

// The primary monitor of tools/x-session is on the right, the other on the left.
struct Monitor {
  int x, y, width, height;
  int centreX() const { return x + width / 2; }
  int centreY() const { return y + height / 2; }
};
constexpr Monitor kRight{1280, 0, 1440, 900};
constexpr Monitor kLeft{0, 100, 1280, 800};

class Session : public LaunchedSession {
 protected:
  static void SetUpTestSuite() { launchProgram(); }

  void SetUp() override {
    ASSERT_NE(program, nullptr);
    resetKeyboard(*x);
    ensureTrayHost(*x);
    ASSERT_TRUE(pumpUntil([] { return currentName() == kEnglish; }));
    ASSERT_TRUE(pumpUntil([] { return !hudViewable(); }, 3.0));
    markLog();
  }

  static qt::QtStatusItem* item() { return program->item(); }
  static std::vector<std::string> menuTitles() { return program->menuTitles(); }
  static qt::QtWindow* hud() { return program->hud(); }
  static std::optional<WindowState> hudOnScreen() { return program->hudOnScreen(*x); }
  static bool hudViewable() { return program->hudViewable(*x); }
  static const std::string& currentName() { return program->currentName(); }
  // Docked when Qt's tray widget has been reparented into the tray host's window.
  static bool trayDocked() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (QString(widget->metaObject()->className()) == "QSystemTrayIconSys" &&
          widget->isVisible()) {
        return x->parentOf(widget->winId()) != 0;
      }
    }
    return false;
  }

  // 1,001 switches from another client, ending on the Korean group, then the
  // program's own pace until it has caught up.
  static void burstOfSwitches() {
    for (int i = 0; i < 1001; ++i) {
      x->lockGroup(i % 2 == 0 ? 1 : 0);
      if (i % 50 == 0) {
        QCoreApplication::processEvents();
      }
    }
    ASSERT_TRUE(pumpUntil([] { return currentName() == kKorean; }));
    pumpFor(0.3);
    ASSERT_TRUE(pumpUntil([] { return !hudViewable(); }, 3.0));
  }
};

TEST_F(Session, LaunchShowsTheBadgeAndMenuAndLogsTheStart) {
  EXPECT_TRUE(program->logHas("Vellicor 앱 시작. 현재: " + kEnglish));
  ASSERT_NE(item(), nullptr);
  EXPECT_EQ(item()->title(), "A");
  EXPECT_TRUE(item()->tray()->isVisible());
  EXPECT_TRUE(pumpUntil(trayDocked));
  EXPECT_EQ(menuTitles(), (std::vector<std::string>{"현재 언어: " + kEnglish, "---", "종료"}));
  const auto actions = std::dynamic_pointer_cast<qt::QtMenu>(item()->menu())->widget()->actions();
  EXPECT_FALSE(actions.at(0)->isEnabled());
  EXPECT_TRUE(actions.at(2)->isEnabled());
  EXPECT_EQ(actions.at(2)->shortcut().toString().toStdString(), "Ctrl+Q");
}

TEST_F(Session, ASwitchShowsTheHudClickThroughOnThePointersMonitorThenHidesIt) {
  x->movePointer(kLeft.centreX() + 100, kLeft.centreY() - 50);
  x->lockGroup(1);
  ASSERT_TRUE(pumpUntil([] { return logHas("입력 언어 변경: " + kEnglish + " → " + kKorean); }));
  EXPECT_EQ(item()->title(), "한");
  EXPECT_EQ(menuTitles().at(0), "현재 언어: " + kKorean);
  ASSERT_TRUE(pumpUntil(hudViewable));
  QElapsedTimer shown;
  shown.start();
  const auto state = hudOnScreen();
  ASSERT_TRUE(state);
  EXPECT_EQ(hud()->labelText(), kKorean);
  // Centred on the left monitor, 90 high, within the panel's width limits.
  const Box panel = state->shown;
  EXPECT_NEAR(panel.x + panel.width / 2.0, kLeft.centreX(), 1.0);
  EXPECT_NEAR(panel.y + panel.height / 2.0, kLeft.centreY(), 1.0);
  EXPECT_EQ(panel.height, 90);
  EXPECT_GE(panel.width, 160);
  EXPECT_LE(panel.width, 520);
  // Unmanaged by the window manager, so never focused, and with no input region.
  EXPECT_TRUE(state->overrideRedirect);
  EXPECT_EQ(state->inputRectangles, 0);
  EXPECT_FALSE(hud()->widget()->isActiveWindow());

  // Still up well before the 1.2 s are over (a timer never fires early), gone soon after.
  pumpUntil([&] { return shown.elapsed() >= 900; });
  EXPECT_TRUE(hudViewable());
  EXPECT_TRUE(pumpUntil([] { return !hudViewable(); }, 3.0));
}

TEST_F(Session, RapidSwitchingLeavesOneHudTheFinalNameAndStableMemory) {
  burstOfSwitches();
  EXPECT_EQ(currentName(), kKorean);
  EXPECT_EQ(item()->title(), "한");
  EXPECT_EQ(menuTitles().at(0), "현재 언어: " + kKorean);
  EXPECT_NE(hud(), nullptr) << "not exactly one HUD window";
  EXPECT_TRUE(x->viewableWindowsOf("vellicor_e2e_tests").empty());

  // A second burst, once caches and pools are warm, must not grow the process.
  x->lockGroup(0);
  const auto before = tools::processMemory(getpid());
  burstOfSwitches();
  const auto after = tools::processMemory(getpid());
#if defined(__SANITIZE_ADDRESS__)
  // AddressSanitizer keeps freed memory in quarantine, so growth means nothing here.
  (void)before;
  (void)after;
#else
  EXPECT_LT(after.residentKb - before.residentKb, 1024)
      << "resident " << before.residentKb << " kB -> " << after.residentKb << " kB";
#endif
}

TEST_F(Session, TheIconComesBackWhenTheTrayHostRestarts) {
  ASSERT_TRUE(pumpUntil(trayDocked));
  x->endSelectionOwner("_NET_SYSTEM_TRAY_S0");
  ASSERT_TRUE(pumpUntil([] { return !trayDocked(); }));
  // The program keeps running without a tray host ...
  x->lockGroup(1);
  ASSERT_TRUE(pumpUntil([] { return currentName() == kKorean; }));
  EXPECT_EQ(item()->title(), "한");
  // ... and docks again once one is back.
  ensureTrayHost(*x);
  EXPECT_TRUE(pumpUntil(trayDocked, 10.0));
}

TEST_F(Session, EmptyLongAndIllFormedGroupNamesAreShownAndLoggedAsTheyStandUpToTheBound) {
  // An empty name leaves the layout's machine name; the other name is a
  // format-looking prefix, a byte that is not UTF-8 and 10,000 Hangul syllables
  // (30 kB; an X server holds no name over 64 kB), of which the first 248 are
  // shown and logged, after the 7 characters before them and before an
  // ellipsis: 256 characters in all.
  std::string syllables;
  for (int i = 0; i < 10000; ++i) {
    syllables += "가";
  }
  ASSERT_TRUE(x->setGroupNames({"", "%n%s%@\xFF" + syllables}));
  ASSERT_TRUE(pumpUntil([] { return currentName() == "us"; }));
  EXPECT_TRUE(logHas("입력 언어 변경: " + kEnglish + " → us\n"));
  EXPECT_EQ(item()->title(), "A");

  x->lockGroup(1);
  const std::string odd = "%n%s%@\xEF\xBF\xBD" + syllables.substr(0, 248 * 3) + "\u2026";
  ASSERT_TRUE(pumpUntil([&] { return currentName() == odd; }));
  EXPECT_TRUE(logHas("입력 언어 변경: us → " + odd + "\n"));
  EXPECT_EQ(item()->title(), "%");
  EXPECT_EQ(menuTitles().at(0), "현재 언어: " + odd);
  ASSERT_TRUE(pumpUntil(hudViewable));
  EXPECT_EQ(hud()->labelText(), odd);
  EXPECT_EQ(hudOnScreen()->shown.width, 520);

  Child setxkbmap({"setxkbmap", "-layout", "us,kr", "-variant", ",kr104"});
  ASSERT_EQ(setxkbmap.wait(20), 0);
  EXPECT_TRUE(pumpUntil([] { return currentName() == kKorean; }));
}

TEST_F(Session, BidiControlsLoneMarksAndEmojiInGroupNamesAreShownAsTheyStand) {
  // A right-to-left override and its pop around Latin letters; combining marks
  // with nothing to combine with; a ZWJ family.
  const std::string overridden =
      "\xE2\x80\xAE"
      "Dvorak\xE2\x80\xAC";
  const std::string marks = "\xCC\x81\xCC\x81\xCC\x81";
  const std::string family =
      "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7";
  // The log writes the override and its pop escaped, so that they reorder
  // nothing there; the badge, the menu and the panel show them as they stand.
  const std::string overriddenLogged = "\\u202eDvorak\\u202c";
  ASSERT_TRUE(x->setGroupNames({overridden, marks}));
  ASSERT_TRUE(pumpUntil([&] { return currentName() == overridden; }));
  EXPECT_TRUE(logHas("입력 언어 변경: " + kEnglish + " → " + overriddenLogged + "\n"));
  EXPECT_EQ(item()->title(), "\xE2\x80\xAE");
  EXPECT_EQ(menuTitles().at(0), "현재 언어: " + overridden);

  x->lockGroup(1);
  ASSERT_TRUE(pumpUntil([&] { return currentName() == marks; }));
  EXPECT_TRUE(logHas("입력 언어 변경: " + overriddenLogged + " → " + marks + "\n"));
  EXPECT_EQ(item()->title(), marks);
  ASSERT_TRUE(pumpUntil(hudViewable));
  EXPECT_EQ(hud()->labelText(), marks);

  // Renaming the group in use is a change of source like any other.
  ASSERT_TRUE(x->setGroupNames({overridden, family + " family"}));
  ASSERT_TRUE(pumpUntil([&] { return currentName() == family + " family"; }));
  EXPECT_TRUE(logHas("입력 언어 변경: " + marks + " → " + family + " family\n"));
  EXPECT_EQ(item()->title(), family);
  EXPECT_EQ(menuTitles().at(0), "현재 언어: " + family + " family");
  ASSERT_TRUE(pumpUntil(hudViewable));
  EXPECT_EQ(hud()->labelText(), family + " family");

  Child setxkbmap({"setxkbmap", "-layout", "us,kr", "-variant", ",kr104"});
  ASSERT_EQ(setxkbmap.wait(20), 0);
  EXPECT_TRUE(pumpUntil([] { return currentName() == kKorean; }));
}

TEST_F(Session, AMonitorRemovedAndAddedWhileRunningIsFollowed) {
  const auto addLeft = [] {
    return run({"xrandr", "--setmonitor", "left", "1280/339x800/212+0+100", "none"});
  };
  // The left monitor comes back however the test ends.
  const std::unique_ptr<void, std::function<void(void*)>> restore(this, [&](void*) { addLeft(); });
  x->movePointer(kLeft.centreX(), kLeft.centreY());
  ASSERT_TRUE(run({"xrandr", "--delmonitor", "left"}));
  ASSERT_TRUE(pumpUntil([] { return QGuiApplication::screens().size() == 1; }));
  // The pointer is on no monitor now: the HUD goes to the primary one.
  x->lockGroup(1);
  ASSERT_TRUE(pumpUntil([] { return currentName() == kKorean && hudViewable(); }));
  EXPECT_NEAR(hudOnScreen()->shown.centreX(), kRight.centreX(), 1.0);

  ASSERT_TRUE(addLeft());
  ASSERT_TRUE(pumpUntil([] { return QGuiApplication::screens().size() == 2; }));
  x->lockGroup(0);
  ASSERT_TRUE(pumpUntil([] { return currentName() == kEnglish && hudViewable(); }));
  const Box panel = hudOnScreen()->shown;
  EXPECT_NEAR(panel.centreX(), kLeft.centreX(), 1.0);
  EXPECT_NEAR(panel.centreY(), kLeft.centreY(), 1.0);
}

}  // namespace
}  // namespace vellicor::e2e
