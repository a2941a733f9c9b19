#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/panel_placement.h"
#include "platform/windows.h"

class QWidget;

namespace vellicor::qt {

class SelectionWatch;

// The HUD as a frameless top-level widget that the window manager does not
// manage (override-redirect): it never takes focus or activates, shows on every
// workspace and stays above other windows, full-screen ones included. Input
// passes through it. The X window is made as large as the largest panel once;
// the panel is laid out inside it and the window is shaped to the panel, so a
// new name repaints in place instead of reallocating the window. With a
// compositor the panel's background is translucent with round corners; without
// one the corners are cut by the shape. The window's title is the text shown,
// for tools that read windows rather than pixels, and its type is a notification.
//
// Checklist: frame (flipped at this edge), alpha, order front and order out are
// exact; the level and the collection behaviour are met by the window type
// (override-redirect, always on top); the HUD material is drawn as a dark
// translucent fill.
class QtWindow final : public Window {
 public:
  explicit QtWindow(const Rect& contentRect);
  ~QtWindow() override;
  void setLevel(int) override {}
  void setOpaque(bool opaque) override;
  void setBackgroundColor(Color color) override;
  void setIgnoresMouseEvents(bool ignores) override;
  void setCollectionBehavior(unsigned) override {}
  void setAcceptsMouseMovedEvents(bool accepts) override;
  void setReleasedWhenClosed(bool) override {}
  void setContentView(std::shared_ptr<View> view) override;
  void setFrame(const Rect& frame, bool display) override;
  void setAlphaValue(double alpha) override;
  void orderFrontRegardless() override;
  void orderOut() override;

  QWidget* widget() const;
  // The label's text as shown, when the content holds a label.
  std::optional<std::string> labelText() const;

 private:
  void layoutContent();
  void updateShape();
  void updateTitle();

  struct Widget;
  std::unique_ptr<Widget> widget_;
  std::shared_ptr<View> content_;
  PixelRect capacity_;
  PixelRect panel_;                             // inside the window
  std::unique_ptr<SelectionWatch> compositor_;  // null when it cannot be followed
};

class QtWindows final : public Windows {
 public:
  std::shared_ptr<Window> makeWindow(const Rect& contentRect, unsigned styleMask, int backing,
                                     bool defer) override;
  std::shared_ptr<View> makeView(const Rect& frame) override;
  std::shared_ptr<VisualEffectView> makeVisualEffectView(const Rect& frame) override;
  std::shared_ptr<Label> makeLabel(const std::string& text) override;
  void activateConstraints(const std::vector<LayoutConstraint>& constraints) override;

  // The windows made so far that are still alive.
  std::vector<std::shared_ptr<QtWindow>> windows() const;

 private:
  std::vector<std::weak_ptr<QtWindow>> windows_;
};

}  // namespace vellicor::qt
