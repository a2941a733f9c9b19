#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/screens.h"

namespace vellicor::sim {

struct SimScreen final : Screen {
  explicit SimScreen(Rect frame) : rect(frame) {}
  Rect frame() const override { return rect; }
  Rect rect;
};

// Screens in system order, a main screen (the first unless set) and the pointer.
class SimScreens final : public Screens {
 public:
  Point mouseLocation() const override { return mouse_; }
  std::vector<std::shared_ptr<Screen>> screens() const override;
  std::shared_ptr<Screen> mainScreen() const override;

  void setScreens(const std::vector<Rect>& frames);
  // An index into the screens, or none for a system that reports no main screen.
  void setMainScreen(std::optional<std::size_t> index) { main_ = index; }
  void setMouseLocation(Point p) { mouse_ = p; }

 private:
  std::vector<std::shared_ptr<Screen>> screens_;
  std::optional<std::size_t> main_ = 0;
  Point mouse_;
};

}  // namespace vellicor::sim
