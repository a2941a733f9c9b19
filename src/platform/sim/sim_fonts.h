#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "platform/fonts.h"

namespace vellicor::sim {

struct SimFont final : Font {
  SimFont(double size, FontWeight weight) : size(size), weight(weight) {}
  double pointSize() const override { return size; }

  double size;
  FontWeight weight;
};

// Fonts with a deterministic measurer: by default every code point is half the
// font's size wide. Tests may install their own measurer.
class SimFonts final : public Fonts {
 public:
  using Measurer = std::function<double(const std::string& text, double pointSize)>;

  std::shared_ptr<Font> systemFont(double pointSize, FontWeight weight) override;
  double measuredWidth(const std::string& text, const Font& font) override;

  void setMeasurer(Measurer measurer) { measurer_ = std::move(measurer); }
  std::size_t fontsMade() const { return fontsMade_; }
  std::size_t measurements() const { return measurements_; }

  static double defaultWidth(const std::string& text, double pointSize);

 private:
  Measurer measurer_ = defaultWidth;
  std::size_t fontsMade_ = 0;
  std::size_t measurements_ = 0;
};

}  // namespace vellicor::sim
