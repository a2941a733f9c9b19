#include "program_under_test.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

#include "hud/hud_manager.h"
#include "scratch.h"

namespace vellicor::e2e {

bool pumpUntil(const std::function<bool()>& done, double seconds) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > seconds * 1000) {
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    usleep(2000);
  }
  return true;
}

void pumpFor(double seconds) {
  pumpUntil([] { return false; }, seconds);
}

void ProgramUnderTest::launch() {
  pumpUntil([this] { return desktop_->sessionBus.settled(); });
  delegate_->applicationDidFinishLaunching();
}

namespace {
// What was found of the session bus before Qt started, as the program's main keeps it.
qt::QtDesktop::Prepared prepared;
}  // namespace

void ProgramUnderTest::prepareQt() {
  const char* display = std::getenv("DISPLAY");
  prepared = qt::QtDesktop::prepareQt(display != nullptr ? display : "");
  // The programs and tools the tests start take the session bus from this
  // process's environment as it was given.
  if (!prepared.bus.given.empty()) {
    setenv("DBUS_SESSION_BUS_ADDRESS", prepared.bus.given.c_str(), 1);
  }
}

ProgramUnderTest* ProgramUnderTest::open(std::string& error) {
  // Never freed: the shared HUD manager made from its platform lives on too.
  auto* program = new ProgramUnderTest;
  program->logPath_ = scratchPath("program.log");
  std::fflush(stderr);
  if (std::freopen(program->logPath_.c_str(), "w", stderr) == nullptr) {
    error = "cannot write " + program->logPath_;
    return nullptr;
  }
  program->desktop_ = qt::QtDesktop::open(prepared, error);
  if (!program->desktop_) {
    return nullptr;
  }
  const auto platform = program->desktop_->platform();
  program->delegate_ =
      std::make_shared<AppDelegate>(platform, [platform] { return HUDManager::shared(platform); });
  return program;
}

std::string ProgramUnderTest::log() const {
  return readFile(logPath_);
}

qt::QtStatusItem* ProgramUnderTest::item() const {
  const auto& items = desktop_->statusBar.items();
  return items.empty() ? nullptr : items.front().get();
}

std::vector<std::string> ProgramUnderTest::menuTitles() const {
  auto menu = item() ? std::dynamic_pointer_cast<qt::QtMenu>(item()->menu()) : nullptr;
  return menu ? menu->titles() : std::vector<std::string>{};
}

qt::QtWindow* ProgramUnderTest::hud() const {
  const auto windows = desktop_->windows.windows();
  return windows.size() == 1 ? windows.front().get() : nullptr;
}

std::optional<WindowState> ProgramUnderTest::hudOnScreen(XTestClient& x) const {
  return hud() ? x.window(hud()->widget()->winId()) : std::nullopt;
}

bool ProgramUnderTest::hudViewable(XTestClient& x) const {
  const auto state = hudOnScreen(x);
  return state && state->viewable;
}

}  // namespace vellicor::e2e
