#pragma once

// Objective-C++ only: the font object shared by the fonts and the label.
#import <AppKit/AppKit.h>

#include "platform/fonts.h"

namespace vellicor::cocoa {

struct CocoaFont final : Font {
  double pointSize() const override;
  NSFont* font = nil;
};

}  // namespace vellicor::cocoa
