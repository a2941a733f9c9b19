#include "platform/sim/sim_fonts.h"

namespace vellicor::sim {

std::shared_ptr<Font> SimFonts::systemFont(double pointSize, FontWeight weight) {
  ++fontsMade_;
  return std::make_shared<SimFont>(pointSize, weight);
}

double SimFonts::measuredWidth(const std::string& text, const Font& font) {
  ++measurements_;
  return measurer_(text, font.pointSize());
}

double SimFonts::defaultWidth(const std::string& text, double pointSize) {
  std::size_t codePoints = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) {
      ++codePoints;
    }
  }
  return static_cast<double>(codePoints) * pointSize * 0.5;
}

}  // namespace vellicor::sim
