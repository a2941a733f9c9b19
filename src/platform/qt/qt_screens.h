#pragma once

#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/qt/sources/session_tracker.h"
#include "platform/screens.h"

class QScreen;

namespace vellicor::qt {

class PointerWatch;

// Screens and the pointer from Qt (RandR monitors), flipped into the program's
// space around the primary screen.
//
// Checklist: pointer, screen list and frames are exact; the main screen is the
// primary one, as X has no key window to follow. In a Wayland session whose
// compositor tells the output in use, the pointer is taken to be at the
// middle of the screen that has that output's place and size (XWayland names
// outputs its own way), since XWayland sees the pointer only over X windows.
// Where the compositor does not tell (GNOME), the pointer counts while it is
// over an X window, and the primary screen stands in for it elsewhere; a
// pointer that left the X windows a moment ago is waited for briefly, as the
// desktop's shell takes it away at each Super+Space.
class QtScreens final : public Screens {
 public:
  QtScreens();
  ~QtScreens() override;
  QtScreens(const QtScreens&) = delete;
  QtScreens& operator=(const QtScreens&) = delete;

  // Follows the output `activeOutput` names, when it names one: a Wayland
  // session's.
  void followOutput(std::function<std::optional<OutputRect>()> activeOutput);
  // Runs `place` on the main thread once the pointer can tell where the panel
  // goes: at once, or, where XWayland's pointer decides and left the X windows
  // a moment ago, when it is back over one or after a short wait (see
  // waitForPointer). A newer `place` replaces one still waiting.
  void whenPointerKnown(std::function<void()> place);
  Point mouseLocation() const override;
  std::vector<std::shared_ptr<Screen>> screens() const override;
  std::shared_ptr<Screen> mainScreen() const override;

 private:
  QScreen* activeOutputScreen() const;
  void pointerKnown();

  std::function<std::optional<OutputRect>()> activeOutput_;
  std::unique_ptr<PointerWatch> pointer_;  // in a Wayland session
  QTimer pointerWait_;
  std::function<void()> waiting_;
};

// The primary screen's geometry in Qt's space; empty when there is no screen.
Rect primaryScreenGeometry();

}  // namespace vellicor::qt
