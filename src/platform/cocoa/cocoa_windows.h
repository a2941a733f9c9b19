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
// Checklist: exact. Full-screen spaces: the window joins all spaces and is
// stationary at the status level, as the program asks; without the
// full-screen-auxiliary behaviour macOS does not put it beside a full-screen
// app's own space.
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
