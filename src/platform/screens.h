#pragma once

#include <memory>
#include <vector>

#include "platform/geometry.h"

namespace vellicor {

class Screen {
 public:
  virtual ~Screen() = default;
  // The whole screen, menu-bar and Dock areas included.
  virtual Rect frame() const = 0;
};

class Screens {
 public:
  virtual ~Screens() = default;
  virtual Point mouseLocation() const = 0;
  // In the order the system lists them.
  virtual std::vector<std::shared_ptr<Screen>> screens() const = 0;
  // The screen the system calls main, or null.
  virtual std::shared_ptr<Screen> mainScreen() const = 0;
};

}  // namespace vellicor
