#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/windows.h"

namespace vellicor::sim {

class SimFonts;
class SimUiProbe;

// What every simulated view shares: frame, subviews and the constraints that
// were activated with this view as their second item.
struct SimViewNode {
  virtual ~SimViewNode() = default;
  // The size the view asks for on its own, if it has one.
  virtual std::optional<Size> intrinsicSize() const { return std::nullopt; }

  Rect frame;
  bool translatesAutoresizingMask = true;
  std::vector<std::shared_ptr<View>> subviews;
  std::vector<LayoutConstraint> constraints;
};

template <class Base>
struct SimViewOf : Base, SimViewNode {
  explicit SimViewOf(const SimUiProbe& probe, Rect initial) : probe(probe) { frame = initial; }
  Rect bounds() const override;
  void setTranslatesAutoresizingMaskIntoConstraints(bool translates) override;
  void addSubview(std::shared_ptr<View> subview) override;

  const SimUiProbe& probe;
};

struct SimLayer final : Layer {
  void setCornerRadius(double radius) override { cornerRadius = radius; }
  double cornerRadius = 0;
};

struct SimVisualEffectView final : SimViewOf<VisualEffectView> {
  SimVisualEffectView(const SimUiProbe& probe, Rect initial, bool canHaveLayer)
      : SimViewOf(probe, initial), canHaveLayer(canHaveLayer) {}
  void setMaterial(int value) override;
  void setState(int value) override;
  void setWantsLayer(bool wants) override;
  std::shared_ptr<Layer> layer() override;

  bool canHaveLayer;
  int material = 0;
  int state = 0;
  bool wantsLayer = false;
  std::shared_ptr<SimLayer> simLayer;
};

struct SimLabel final : SimViewOf<Label> {
  SimLabel(const SimUiProbe& probe, SimFonts& fonts, std::string text);
  void setIdentifier(const std::string& value) override;
  void setFont(std::shared_ptr<Font> value) override;
  std::shared_ptr<Font> font() const override;
  void setTextColor(Color value) override;
  void setAlignment(int value) override;
  void setLineBreakMode(int value) override;
  void setStringValue(const std::string& value) override;
  // One line of the text in its font; the line is 1.2 times the font size high.
  std::optional<Size> intrinsicSize() const override;

  SimFonts& fonts;
  std::string identifier;
  std::shared_ptr<Font> currentFont;
  std::optional<Color> textColor;
  int alignment = 0;
  int lineBreakMode = 0;
  std::string stringValue;
};

struct SimWindow final : Window {
  SimWindow(const SimUiProbe& probe, Rect contentRect) : probe(probe), frame(contentRect) {}
  void setLevel(int value) override;
  void setOpaque(bool value) override;
  void setBackgroundColor(Color value) override;
  void setIgnoresMouseEvents(bool value) override;
  void setCollectionBehavior(unsigned value) override;
  void setAcceptsMouseMovedEvents(bool value) override;
  void setReleasedWhenClosed(bool value) override;
  void setContentView(std::shared_ptr<View> view) override;
  void setFrame(const Rect& value, bool display) override;
  void setAlphaValue(double value) override;
  void orderFrontRegardless() override;
  void orderOut() override;

  // Where the constraints put `view`, in the content view's coordinates (y up),
  // for a content view that fills the window's current frame. None when the
  // view's constraints are not of the kinds the HUD uses.
  std::optional<Rect> resolvedFrame(const View& view) const;
  // Whether a label's text is wider than the frame the constraints give it.
  bool isClipped(const SimLabel& label) const;

  const SimUiProbe& probe;
  unsigned styleMask = 0;
  int backing = 0;
  bool defer = true;
  std::optional<int> level;
  std::optional<bool> opaque;
  std::optional<Color> backgroundColor;
  std::optional<bool> ignoresMouseEvents;
  std::optional<unsigned> collectionBehavior;
  std::optional<bool> acceptsMouseMovedEvents;
  std::optional<bool> releasedWhenClosed;
  std::shared_ptr<View> contentView;
  Rect frame;
  std::size_t frameSets = 0;
  bool lastDisplayFlag = false;
  double alpha = 1.0;
  bool visible = false;
  std::size_t orderFronts = 0;
  std::size_t orderOuts = 0;
};

// The first label among the content view's subviews, or null.
const SimLabel* findLabel(const SimWindow& window);

class SimWindows final : public Windows {
 public:
  SimWindows(const SimUiProbe& probe, SimFonts& fonts) : probe_(probe), fonts_(fonts) {}

  std::shared_ptr<Window> makeWindow(const Rect& contentRect, unsigned styleMask, int backing,
                                     bool defer) override;
  std::shared_ptr<View> makeView(const Rect& frame) override;
  std::shared_ptr<VisualEffectView> makeVisualEffectView(const Rect& frame) override;
  std::shared_ptr<Label> makeLabel(const std::string& text) override;
  void activateConstraints(const std::vector<LayoutConstraint>& constraints) override;

  // Every window made, in order.
  std::vector<std::shared_ptr<SimWindow>> windows() const;
  std::size_t activations() const { return activations_; }
  // Visual-effect views made from now on have no layer.
  void setLayersAvailable(bool available) { layersAvailable_ = available; }

 private:
  const SimUiProbe& probe_;
  SimFonts& fonts_;
  std::vector<std::weak_ptr<SimWindow>> windows_;
  std::size_t activations_ = 0;
  bool layersAvailable_ = true;
};

}  // namespace vellicor::sim
