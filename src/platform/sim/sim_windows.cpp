#include "platform/sim/sim_windows.h"

#include "platform/common/live_objects.h"

#include "platform/fonts.h"
#include "platform/layout/anchor_layout.h"
#include "platform/sim/sim_fonts.h"
#include "platform/sim/sim_ui_probe.h"

namespace vellicor::sim {
namespace {

SimViewNode* nodeOf(const View* view) {
  return dynamic_cast<SimViewNode*>(const_cast<View*>(view));
}

}  // namespace

template <class Base>
Rect SimViewOf<Base>::bounds() const {
  probe.touch();
  return Rect{{0, 0}, frame.size};
}

template <class Base>
void SimViewOf<Base>::setTranslatesAutoresizingMaskIntoConstraints(bool translates) {
  probe.touch();
  translatesAutoresizingMask = translates;
}

template <class Base>
void SimViewOf<Base>::addSubview(std::shared_ptr<View> subview) {
  probe.touch();
  subviews.push_back(std::move(subview));
}

template struct SimViewOf<View>;
template struct SimViewOf<VisualEffectView>;
template struct SimViewOf<Label>;

void SimVisualEffectView::setMaterial(int value) {
  probe.touch();
  material = value;
}

void SimVisualEffectView::setState(int value) {
  probe.touch();
  state = value;
}

void SimVisualEffectView::setWantsLayer(bool wants) {
  probe.touch();
  wantsLayer = wants;
  if (wants && canHaveLayer && !simLayer) {
    simLayer = std::make_shared<SimLayer>();
  }
}

std::shared_ptr<Layer> SimVisualEffectView::layer() {
  probe.touch();
  return simLayer;
}

SimLabel::SimLabel(const SimUiProbe& probe, SimFonts& fonts, std::string text)
    : SimViewOf(probe, Rect{}), fonts(fonts), stringValue(std::move(text)) {}

void SimLabel::setIdentifier(const std::string& value) {
  probe.touch();
  identifier = value;
}

void SimLabel::setFont(std::shared_ptr<Font> value) {
  probe.touch();
  currentFont = std::move(value);
}

std::shared_ptr<Font> SimLabel::font() const {
  probe.touch();
  return currentFont;
}

void SimLabel::setTextColor(Color value) {
  probe.touch();
  textColor = value;
}

void SimLabel::setAlignment(int value) {
  probe.touch();
  alignment = value;
}

void SimLabel::setLineBreakMode(int value) {
  probe.touch();
  lineBreakMode = value;
}

void SimLabel::setStringValue(const std::string& value) {
  probe.touch();
  stringValue = value;
}

std::optional<Size> SimLabel::intrinsicSize() const {
  if (!currentFont) {
    return Size{0, 0};
  }
  return Size{fonts.measuredWidth(stringValue, *currentFont), currentFont->pointSize() * 1.2};
}

void SimWindow::setLevel(int value) {
  probe.touch();
  level = value;
}

void SimWindow::setOpaque(bool value) {
  probe.touch();
  opaque = value;
}

void SimWindow::setBackgroundColor(Color value) {
  probe.touch();
  backgroundColor = value;
}

void SimWindow::setIgnoresMouseEvents(bool value) {
  probe.touch();
  ignoresMouseEvents = value;
}

void SimWindow::setCollectionBehavior(unsigned value) {
  probe.touch();
  collectionBehavior = value;
}

void SimWindow::setAcceptsMouseMovedEvents(bool value) {
  probe.touch();
  acceptsMouseMovedEvents = value;
}

void SimWindow::setReleasedWhenClosed(bool value) {
  probe.touch();
  releasedWhenClosed = value;
}

void SimWindow::setContentView(std::shared_ptr<View> view) {
  probe.touch();
  contentView = std::move(view);
}

void SimWindow::setFrame(const Rect& value, bool display) {
  probe.touch();
  frame = value;
  lastDisplayFlag = display;
  ++frameSets;
}

void SimWindow::setAlphaValue(double value) {
  probe.touch();
  alpha = value;
}

void SimWindow::orderFrontRegardless() {
  probe.touch();
  visible = true;
  ++orderFronts;
}

void SimWindow::orderOut() {
  probe.touch();
  visible = false;
  ++orderOuts;
}

std::optional<Rect> SimWindow::resolvedFrame(const View& view) const {
  const SimViewNode* content = nodeOf(contentView.get());
  const SimViewNode* node = nodeOf(&view);
  if (content == nullptr || node == nullptr) {
    return std::nullopt;
  }
  const Size intrinsic = node->intrinsicSize().value_or(Size{});
  const auto x = layout::solveAxis(content->constraints, view, layout::Axis::Horizontal,
                                   frame.size.width, intrinsic.width);
  const auto fromTop = layout::solveAxis(content->constraints, view, layout::Axis::Vertical,
                                         frame.size.height, intrinsic.height);
  if (!x || !fromTop) {
    return std::nullopt;
  }
  const double y = frame.size.height - (fromTop->start + fromTop->length);
  return Rect{{x->start, y}, {x->length, fromTop->length}};
}

bool SimWindow::isClipped(const SimLabel& label) const {
  const auto resolved = resolvedFrame(label);
  const auto intrinsic = label.intrinsicSize();
  return resolved && intrinsic && intrinsic->width > resolved->size.width;
}

const SimLabel* findLabel(const SimWindow& window) {
  const SimViewNode* content = nodeOf(window.contentView.get());
  if (content == nullptr) {
    return nullptr;
  }
  for (const auto& subview : content->subviews) {
    if (const auto* label = dynamic_cast<const SimLabel*>(subview.get())) {
      return label;
    }
  }
  return nullptr;
}

std::shared_ptr<Window> SimWindows::makeWindow(const Rect& contentRect, unsigned styleMask,
                                               int backing, bool defer) {
  probe_.touch();
  auto window = std::make_shared<SimWindow>(probe_, contentRect);
  window->styleMask = styleMask;
  window->backing = backing;
  window->defer = defer;
  windows_.push_back(window);
  return window;
}

std::shared_ptr<View> SimWindows::makeView(const Rect& frame) {
  probe_.touch();
  return std::make_shared<SimViewOf<View>>(probe_, frame);
}

std::shared_ptr<VisualEffectView> SimWindows::makeVisualEffectView(const Rect& frame) {
  probe_.touch();
  return std::make_shared<SimVisualEffectView>(probe_, frame, layersAvailable_);
}

std::shared_ptr<Label> SimWindows::makeLabel(const std::string& text) {
  probe_.touch();
  return std::make_shared<SimLabel>(probe_, fonts_, text);
}

void SimWindows::activateConstraints(const std::vector<LayoutConstraint>& constraints) {
  probe_.touch();
  ++activations_;
  for (const auto& c : constraints) {
    if (SimViewNode* owner = nodeOf(c.second)) {
      owner->constraints.push_back(c);
    }
  }
}

std::vector<std::shared_ptr<SimWindow>> SimWindows::windows() const {
  return liveObjects(windows_);
}

}  // namespace vellicor::sim
