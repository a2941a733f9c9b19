#pragma once

#include <memory>
#include <string>

#include "platform/fonts.h"

namespace vellicor::cocoa {

// NSFont's system font and sizeWithAttributes: widths.
//
// Checklist: exact.
class CocoaFonts final : public Fonts {
 public:
  std::shared_ptr<Font> systemFont(double pointSize, FontWeight weight) override;
  double measuredWidth(const std::string& text, const Font& font) override;
};

}  // namespace vellicor::cocoa
