#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/windows.h"

namespace vellicor::cocoa {

// NSWindow, NSView, NSVisualEffectView, NSTextField labels and anchor-based
// NSLayoutConstraints, called with the program's values as they stand (the
// constants in platform/windows.h are AppKit's, checked against the SDK).
//
// Checklist: exact, with these additions AppKit needs for the panel to look and
// behave as asked. The window also takes the full-screen-auxiliary behaviour,
// and from macOS 13 on can join all applications, so it shows over an app in
// full screen; it is dark (the visual-effect view vibrant dark), so the white
// text stays legible in light mode; the visual-effect view's corner radius also
// becomes its mask image, since the layer's radius does not clip the material;
// it has a shadow, shaped by that mask, for which the visual-effect view stands
// in for the plain container as the window's content view, holding the label,
// and which is invalidated at each new frame; a label gives way to the
// window's size rather than widening it.
class CocoaWindows final : public Windows {
 public:
  std::shared_ptr<Window> makeWindow(const Rect& contentRect, unsigned styleMask, int backing,
                                     bool defer) override;
  std::shared_ptr<View> makeView(const Rect& frame) override;
  std::shared_ptr<VisualEffectView> makeVisualEffectView(const Rect& frame) override;
  std::shared_ptr<Label> makeLabel(const std::string& text) override;
  void activateConstraints(const std::vector<LayoutConstraint>& constraints) override;
};

}  // namespace vellicor::cocoa
