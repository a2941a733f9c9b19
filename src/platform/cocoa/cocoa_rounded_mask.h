#pragma once

// Objective-C++ only: the shape that rounds a visual-effect view's material.
#import <AppKit/AppKit.h>

namespace vellicor::cocoa {

// An opaque rounded rectangle of the given corner radius, smallest size, that
// stretches between its corners; a visual-effect view's maskImage, it clips the
// material (and so the window's shadow) where a layer's corner radius does not.
NSImage* roundedRectMask(double cornerRadius);

}  // namespace vellicor::cocoa
