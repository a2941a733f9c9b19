#include "platform/cocoa/cocoa_windows.h"

#import <AppKit/AppKit.h>
#import <QuartzCore/QuartzCore.h>

#include "platform/cocoa/cocoa_font.h"
#include "platform/cocoa/cocoa_rounded_mask.h"
#include "platform/cocoa/cocoa_strings.h"

namespace vellicor::cocoa {

// The program's constants are AppKit's values (but for the text alignment, whose
// numbers differ on Intel: see toNSTextAlignment).
static_assert(kWindowStyleMaskBorderless == NSWindowStyleMaskBorderless);
static_assert(kBackingStoreBuffered == NSBackingStoreBuffered);
static_assert(kStatusWindowLevel == NSStatusWindowLevel);
static_assert(kCollectionBehaviorCanJoinAllSpaces == NSWindowCollectionBehaviorCanJoinAllSpaces);
static_assert(kCollectionBehaviorStationary == NSWindowCollectionBehaviorStationary);
static_assert(kVisualEffectMaterialHUDWindow == NSVisualEffectMaterialHUDWindow);
static_assert(kVisualEffectStateActive == NSVisualEffectStateActive);
static_assert(kLineBreakByClipping == NSLineBreakByClipping);

namespace {

NSRect toNSRect(const Rect& r) {
  return NSMakeRect(r.origin.x, r.origin.y, r.size.width, r.size.height);
}

// The program numbers text alignments as AppKit does on Apple silicon (left 0,
// centre 1, right 2, justified 3, natural 4). On Intel, AppKit numbers centre
// and right the other way round, so each is named here rather than cast.
NSTextAlignment toNSTextAlignment(int alignment) {
  switch (alignment) {
    case 0:
      return NSTextAlignmentLeft;
    case kTextAlignmentCenter:
      return NSTextAlignmentCenter;
    case 2:
      return NSTextAlignmentRight;
    case 3:
      return NSTextAlignmentJustified;
    default:
      return NSTextAlignmentNatural;
  }
}

NSColor* toNSColor(Color color) {
  return color == Color::White ? [NSColor whiteColor] : [NSColor clearColor];
}

// What every view here shares: the AppKit view behind it.
struct CocoaViewNode {
  virtual ~CocoaViewNode() = default;
  virtual NSView* nsView() const = 0;
};

NSView* nsViewOf(const View* view) {
  const auto* node = dynamic_cast<const CocoaViewNode*>(view);
  return node != nullptr ? node->nsView() : nil;
}

template <class Base, class ViewType>
struct CocoaViewOf : Base, CocoaViewNode {
  explicit CocoaViewOf(ViewType* v) : view(v) {}
  NSView* nsView() const override { return view; }
  Rect bounds() const override {
    const NSRect b = [view bounds];
    return {{b.origin.x, b.origin.y}, {b.size.width, b.size.height}};
  }
  void setTranslatesAutoresizingMaskIntoConstraints(bool translates) override {
    [view setTranslatesAutoresizingMaskIntoConstraints:translates];
  }
  void addSubview(std::shared_ptr<View> subview) override {
    if (NSView* child = nsViewOf(subview.get())) {
      [view addSubview:child];
    }
  }
  ViewType* view;
};

// A plain container. Only a visual-effect view that is the window's content
// view shapes the window's shadow with its mask image (NSVisualEffectView.h),
// so a container whose first subview is a visual-effect view (the panel's
// background, made to fill it) steps aside for it: the visual-effect view
// takes the container's place, holds the later subviews, and stands in for the
// container as the window's content view and in layout constraints.
struct CocoaContainer final : View, CocoaViewNode {
  explicit CocoaContainer(NSView* v) : plain(v) {}
  NSView* nsView() const override { return background != nil ? background : plain; }
  Rect bounds() const override {
    const NSRect b = [nsView() bounds];
    return {{b.origin.x, b.origin.y}, {b.size.width, b.size.height}};
  }
  void setTranslatesAutoresizingMaskIntoConstraints(bool translates) override {
    [nsView() setTranslatesAutoresizingMaskIntoConstraints:translates];
  }
  void addSubview(std::shared_ptr<View> subview) override {
    NSView* child = nsViewOf(subview.get());
    if (child == nil) {
      return;
    }
    if (background == nil && [[plain subviews] count] == 0 &&
        [child isKindOfClass:[NSVisualEffectView class]]) {
      background = child;
      [background setFrame:[plain frame]];
      return;
    }
    [nsView() addSubview:child];
  }
  NSView* plain;
  NSView* background = nil;
};

// A visual-effect view's backing layer. The layer's corner radius does not clip
// the view's material, so the same radius also shapes the view's mask image.
struct CocoaLayer final : Layer {
  CocoaLayer(CALayer* layer, NSVisualEffectView* owner) : layer(layer), owner(owner) {}
  void setCornerRadius(double radius) override {
    [layer setCornerRadius:radius];
    [owner setMaskImage:radius > 0 ? roundedRectMask(radius) : nil];
  }
  CALayer* layer;
  __weak NSVisualEffectView* owner;
};

struct CocoaVisualEffectView final : CocoaViewOf<VisualEffectView, NSVisualEffectView> {
  using CocoaViewOf::CocoaViewOf;
  void setMaterial(int material) override {
    [view setMaterial:static_cast<NSVisualEffectMaterial>(material)];
  }
  void setState(int state) override { [view setState:static_cast<NSVisualEffectState>(state)]; }
  void setWantsLayer(bool wants) override { [view setWantsLayer:wants]; }
  std::shared_ptr<Layer> layer() override {
    CALayer* layer = [view layer];
    return layer != nil ? std::make_shared<CocoaLayer>(layer, view) : nullptr;
  }
};

struct CocoaLabel final : CocoaViewOf<Label, NSTextField> {
  using CocoaViewOf::CocoaViewOf;
  void setIdentifier(const std::string& identifier) override {
    [view setIdentifier:toNSString(identifier)];
  }
  void setFont(std::shared_ptr<Font> font) override {
    current = std::move(font);
    if (const auto* cocoa = dynamic_cast<const CocoaFont*>(current.get())) {
      [view setFont:cocoa->font];
    }
  }
  std::shared_ptr<Font> font() const override { return current; }
  void setTextColor(Color color) override { [view setTextColor:toNSColor(color)]; }
  void setAlignment(int alignment) override { [view setAlignment:toNSTextAlignment(alignment)]; }
  void setLineBreakMode(int mode) override {
    [view setLineBreakMode:static_cast<NSLineBreakMode>(mode)];
  }
  void setStringValue(const std::string& text) override { [view setStringValue:toNSString(text)]; }
  std::shared_ptr<Font> current;
};

class CocoaWindow final : public Window {
 public:
  explicit CocoaWindow(NSWindow* window) : window_(window) {}
  void setLevel(int level) override { [window_ setLevel:static_cast<NSWindowLevel>(level)]; }
  void setOpaque(bool opaque) override { [window_ setOpaque:opaque]; }
  void setBackgroundColor(Color color) override { [window_ setBackgroundColor:toNSColor(color)]; }
  void setIgnoresMouseEvents(bool ignores) override { [window_ setIgnoresMouseEvents:ignores]; }
  // Always with the full-screen-auxiliary behaviour: without it macOS does not
  // show the window over an app in full screen. From macOS 13 on, a window
  // must also be able to join all applications to join another app's
  // full-screen space (NSWindow.h: "for floating windows and system overlays").
  void setCollectionBehavior(unsigned behavior) override {
    auto all = static_cast<NSWindowCollectionBehavior>(behavior) |
               NSWindowCollectionBehaviorFullScreenAuxiliary;
    if (@available(macOS 13.0, *)) {
      all |= NSWindowCollectionBehaviorCanJoinAllApplications;
    }
    [window_ setCollectionBehavior:all];
  }
  void setAcceptsMouseMovedEvents(bool accepts) override {
    [window_ setAcceptsMouseMovedEvents:accepts];
  }
  void setReleasedWhenClosed(bool released) override { [window_ setReleasedWhenClosed:released]; }
  void setContentView(std::shared_ptr<View> view) override {
    content_ = std::move(view);
    [window_ setContentView:nsViewOf(content_.get())];
  }
  // The shadow follows the window's shape only when told that it changed.
  void setFrame(const Rect& frame, bool display) override {
    [window_ setFrame:toNSRect(frame) display:display];
    [window_ invalidateShadow];
  }
  void setAlphaValue(double alpha) override { [window_ setAlphaValue:alpha]; }
  void orderFrontRegardless() override { [window_ orderFrontRegardless]; }
  void orderOut() override { [window_ orderOut:nil]; }

 private:
  NSWindow* window_;
  std::shared_ptr<View> content_;
};

NSLayoutAnchor* anchorOf(NSView* view, Anchor anchor) {
  switch (anchor) {
    case Anchor::Leading:
      return [view leadingAnchor];
    case Anchor::Trailing:
      return [view trailingAnchor];
    case Anchor::Top:
      return [view topAnchor];
    case Anchor::Bottom:
      return [view bottomAnchor];
    case Anchor::CenterX:
      return [view centerXAnchor];
    case Anchor::CenterY:
      return [view centerYAnchor];
  }
  return [view leadingAnchor];
}

}  // namespace

std::shared_ptr<Window> CocoaWindows::makeWindow(const Rect& contentRect, unsigned styleMask,
                                                 int backing, bool defer) {
  NSWindow* window = [[NSWindow alloc] initWithContentRect:toNSRect(contentRect)
                                                 styleMask:static_cast<NSWindowStyleMask>(styleMask)
                                                   backing:static_cast<NSBackingStoreType>(backing)
                                                     defer:defer];
  // The panel's white text on its HUD material stays legible in light mode too.
  [window setAppearance:[NSAppearance appearanceNamed:NSAppearanceNameDarkAqua]];
  // The panel casts a shadow, shaped by its rounded background (see
  // CocoaContainer): said outright rather than left to a default.
  [window setHasShadow:YES];
  return std::make_shared<CocoaWindow>(window);
}

std::shared_ptr<View> CocoaWindows::makeView(const Rect& frame) {
  return std::make_shared<CocoaContainer>([[NSView alloc] initWithFrame:toNSRect(frame)]);
}

std::shared_ptr<VisualEffectView> CocoaWindows::makeVisualEffectView(const Rect& frame) {
  NSVisualEffectView* view = [[NSVisualEffectView alloc] initWithFrame:toNSRect(frame)];
  // The vibrant appearances belong on the visual-effect view itself.
  [view setAppearance:[NSAppearance appearanceNamed:NSAppearanceNameVibrantDark]];
  return std::make_shared<CocoaVisualEffectView>(view);
}

std::shared_ptr<Label> CocoaWindows::makeLabel(const std::string& text) {
  NSTextField* label = [NSTextField labelWithString:toNSString(text)];
  // The panel's text is announced once for each change (CocoaAccessibility):
  // it is no element of its own for VoiceOver to land on and read again.
  [label setAccessibilityElement:NO];
  // Below the window's wish to keep its size (NSLayoutPriorityWindowSizeStayPut),
  // so a text wider than the frame the panel is given is clipped rather than
  // widening the window past that frame and off its centre.
  [label setContentCompressionResistancePriority:NSLayoutPriorityDefaultLow
                                  forOrientation:NSLayoutConstraintOrientationHorizontal];
  return std::make_shared<CocoaLabel>(label);
}

void CocoaWindows::activateConstraints(const std::vector<LayoutConstraint>& constraints) {
  NSMutableArray<NSLayoutConstraint*>* all = [NSMutableArray array];
  for (const auto& c : constraints) {
    NSView* first = nsViewOf(c.first);
    NSView* second = nsViewOf(c.second);
    if (first == nil || second == nil) {
      continue;
    }
    // A view held to itself (the background filling the container it stands
    // in for) holds without a constraint.
    if (first == second && c.firstAnchor == c.secondAnchor && c.constant == 0 &&
        c.relation == Relation::Equal) {
      continue;
    }
    NSLayoutAnchor* a = anchorOf(first, c.firstAnchor);
    NSLayoutAnchor* b = anchorOf(second, c.secondAnchor);
    switch (c.relation) {
      case Relation::Equal:
        [all addObject:[a constraintEqualToAnchor:b constant:c.constant]];
        break;
      case Relation::GreaterThanOrEqual:
        [all addObject:[a constraintGreaterThanOrEqualToAnchor:b constant:c.constant]];
        break;
      case Relation::LessThanOrEqual:
        [all addObject:[a constraintLessThanOrEqualToAnchor:b constant:c.constant]];
        break;
    }
  }
  [NSLayoutConstraint activateConstraints:all];
}

}  // namespace vellicor::cocoa
