#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/geometry.h"

namespace vellicor {

class Font;

// The platform's numbers for the values the HUD panel is built with.
inline constexpr unsigned kWindowStyleMaskBorderless = 0;
inline constexpr int kBackingStoreBuffered = 2;
inline constexpr int kStatusWindowLevel = 25;
inline constexpr unsigned kCollectionBehaviorCanJoinAllSpaces = 1;
inline constexpr unsigned kCollectionBehaviorStationary = 16;
inline constexpr int kVisualEffectMaterialHUDWindow = 13;
inline constexpr int kVisualEffectStateActive = 1;
inline constexpr int kTextAlignmentCenter = 1;
inline constexpr int kLineBreakByClipping = 2;

enum class Color { Clear, White };

class Layer {
 public:
  virtual ~Layer() = default;
  virtual void setCornerRadius(double radius) = 0;
};

class View {
 public:
  virtual ~View() = default;
  virtual Rect bounds() const = 0;
  virtual void setTranslatesAutoresizingMaskIntoConstraints(bool translates) = 0;
  virtual void addSubview(std::shared_ptr<View> subview) = 0;
};

class VisualEffectView : public View {
 public:
  virtual void setMaterial(int material) = 0;
  virtual void setState(int state) = 0;
  virtual void setWantsLayer(bool wants) = 0;
  // The backing layer, or null.
  virtual std::shared_ptr<Layer> layer() = 0;
};

class Label : public View {
 public:
  virtual void setIdentifier(const std::string& identifier) = 0;
  virtual void setFont(std::shared_ptr<Font> font) = 0;
  // The current font, or null.
  virtual std::shared_ptr<Font> font() const = 0;
  virtual void setTextColor(Color color) = 0;
  virtual void setAlignment(int alignment) = 0;
  virtual void setLineBreakMode(int mode) = 0;
  virtual void setStringValue(const std::string& text) = 0;
};

class Window {
 public:
  virtual ~Window() = default;
  virtual void setLevel(int level) = 0;
  virtual void setOpaque(bool opaque) = 0;
  virtual void setBackgroundColor(Color color) = 0;
  virtual void setIgnoresMouseEvents(bool ignores) = 0;
  virtual void setCollectionBehavior(unsigned behavior) = 0;
  virtual void setAcceptsMouseMovedEvents(bool accepts) = 0;
  virtual void setReleasedWhenClosed(bool released) = 0;
  virtual void setContentView(std::shared_ptr<View> view) = 0;
  virtual void setFrame(const Rect& frame, bool display) = 0;
  virtual void setAlphaValue(double alpha) = 0;
  // To the front of its level without becoming key or main.
  virtual void orderFrontRegardless() = 0;
  virtual void orderOut() = 0;
};

enum class Anchor { Leading, Trailing, Top, Bottom, CenterX, CenterY };
enum class Relation { Equal, GreaterThanOrEqual, LessThanOrEqual };

// first.anchor (relation) second.anchor + constant. The views are borrowed for
// the duration of `activateConstraints`.
struct LayoutConstraint {
  View* first = nullptr;
  Anchor firstAnchor = Anchor::Leading;
  Relation relation = Relation::Equal;
  View* second = nullptr;
  Anchor secondAnchor = Anchor::Leading;
  double constant = 0;
};

class Windows {
 public:
  virtual ~Windows() = default;
  virtual std::shared_ptr<Window> makeWindow(const Rect& contentRect, unsigned styleMask,
                                             int backing, bool defer) = 0;
  virtual std::shared_ptr<View> makeView(const Rect& frame) = 0;
  virtual std::shared_ptr<VisualEffectView> makeVisualEffectView(const Rect& frame) = 0;
  // A static, non-editable label.
  virtual std::shared_ptr<Label> makeLabel(const std::string& text) = 0;
  // Activates all the constraints at once; all are required.
  virtual void activateConstraints(const std::vector<LayoutConstraint>& constraints) = 0;
};

}  // namespace vellicor
