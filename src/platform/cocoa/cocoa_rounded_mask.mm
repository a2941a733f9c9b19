#include "platform/cocoa/cocoa_rounded_mask.h"

namespace vellicor::cocoa {

NSImage* roundedRectMask(double cornerRadius) {
  const CGFloat radius = cornerRadius;
  // The corners and one stretchable point between them each way.
  const CGFloat edge = 2 * radius + 1;
  NSImage* mask = [NSImage imageWithSize:NSMakeSize(edge, edge)
                                 flipped:NO
                          drawingHandler:^BOOL(NSRect rect) {
                            [[NSColor blackColor] setFill];
                            [[NSBezierPath bezierPathWithRoundedRect:rect
                                                             xRadius:radius
                                                             yRadius:radius] fill];
                            return YES;
                          }];
  [mask setCapInsets:NSEdgeInsetsMake(radius, radius, radius, radius)];
  [mask setResizingMode:NSImageResizingModeStretch];
  return mask;
}

}  // namespace vellicor::cocoa
