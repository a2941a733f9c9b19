#pragma once

#include <memory>
#include <string>

namespace vellicor {

enum class FontWeight { Regular, Semibold };

class Font {
 public:
  virtual ~Font() = default;
  virtual double pointSize() const = 0;
};

class Fonts {
 public:
  virtual ~Fonts() = default;
  virtual std::shared_ptr<Font> systemFont(double pointSize, FontWeight weight) = 0;
  // The width in points the text takes on one line in `font`, unrounded.
  virtual double measuredWidth(const std::string& text, const Font& font) = 0;
};

}  // namespace vellicor
