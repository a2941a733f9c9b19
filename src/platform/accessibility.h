#pragma once

#include <string>

namespace vellicor {

// What a screen reader hears of the program beyond what it reads on screen.
class Accessibility {
 public:
  virtual ~Accessibility() = default;
  // Has a screen reader speak `text` once, now, cutting short what the
  // program had it say before. Nothing is sent, and nothing waits, while no
  // screen reader listens.
  virtual void announce(const std::string& text) = 0;
};

}  // namespace vellicor
