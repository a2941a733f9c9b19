#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_delegate.h"
#include "platform/qt/qt_desktop.h"
#include "x_test_client.h"

namespace vellicor::e2e {

// Runs the program's event loop until `done` holds or `seconds` pass.
bool pumpUntil(const std::function<bool()>& done, double seconds = 5.0);
void pumpFor(double seconds);

// The program in this process, on the real desktop, with the process-wide HUD
// manager: one per process, for the life of the process (as in production).
// Its log goes to a file instead of standard error.
class ProgramUnderTest {
 public:
  // Null, with the reason, when the desktop cannot be opened.
  // Sets Qt up as the program does; call before the QApplication exists.
  static void prepareQt();
  static ProgramUnderTest* open(std::string& error);

  // Launches as the application does once the desktop has read its sources:
  // the session bus settled, so that nothing made at launch finds it unsettled.
  void launch();
  const std::string& currentName() const { return delegate_->currentName(); }
  std::string log() const;
  bool logHas(const std::string& text) const { return log().find(text) != std::string::npos; }

  qt::QtStatusItem* item() const;
  std::vector<std::string> menuTitles() const;
  qt::QtWindow* hud() const;
  std::optional<WindowState> hudOnScreen(XTestClient& x) const;
  bool hudViewable(XTestClient& x) const;

 private:
  ProgramUnderTest() = default;
  std::string logPath_;
  std::unique_ptr<qt::QtDesktop> desktop_;
  std::shared_ptr<AppDelegate> delegate_;
};

}  // namespace vellicor::e2e
