#include "platform/cocoa/cocoa_fonts.h"

#import <AppKit/AppKit.h>

#include "platform/cocoa/cocoa_font.h"
#include "platform/cocoa/cocoa_strings.h"

namespace vellicor::cocoa {

double CocoaFont::pointSize() const {
  return static_cast<double>([font pointSize]);
}

std::shared_ptr<Font> CocoaFonts::systemFont(double pointSize, FontWeight weight) {
  auto font = std::make_shared<CocoaFont>();
  font->font = [NSFont
      systemFontOfSize:pointSize
                weight:weight == FontWeight::Semibold ? NSFontWeightSemibold : NSFontWeightRegular];
  return font;
}

double CocoaFonts::measuredWidth(const std::string& text, const Font& font) {
  const auto* cocoa = dynamic_cast<const CocoaFont*>(&font);
  if (cocoa == nullptr || cocoa->font == nil) {
    return 0;
  }
  const NSSize size = [toNSString(text) sizeWithAttributes:@{NSFontAttributeName : cocoa->font}];
  return static_cast<double>(size.width);
}

}  // namespace vellicor::cocoa
