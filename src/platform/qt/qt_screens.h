#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/qt/sources/session_tracker.h"
#include "platform/screens.h"

namespace vellicor::qt {

// Screens and the pointer from Qt (RandR monitors), flipped into the program's
// space around the primary screen.
//
// Checklist: pointer, screen list and frames are exact; the main screen is the
// primary one, as X has no key window to follow. In a Wayland session whose
// compositor tells the output in use, the pointer is taken to be at the
// middle of the screen that has that output's place and size (XWayland names
// outputs its own way), since XWayland sees the pointer only over X windows.
// Where the compositor does not tell (GNOME), the pointer counts while it is
// over an X window, and the primary screen stands in for it elsewhere.
class QtScreens final : public Screens {
 public:
  // Follows the output `activeOutput` names, when it names one.
  void followOutput(std::function<std::optional<OutputRect>()> activeOutput) {
    activeOutput_ = std::move(activeOutput);
  }
  Point mouseLocation() const override;
  std::vector<std::shared_ptr<Screen>> screens() const override;
  std::shared_ptr<Screen> mainScreen() const override;

 private:
  std::function<std::optional<OutputRect>()> activeOutput_;
};

// The primary screen's geometry in Qt's space; empty when there is no screen.
Rect primaryScreenGeometry();

}  // namespace vellicor::qt
