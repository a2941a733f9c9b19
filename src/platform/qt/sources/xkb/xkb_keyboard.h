#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/qt/sources/source_tracker.h"
#include "platform/qt/sources/xkb/xkb_names.h"

namespace vellicor::qt {

// Watches the core keyboard through the X extension XKB on Qt's own X
// connection: the effective group from state notifications, and the group
// names and rules names, read again shortly after the keyboard or its names
// change. A switch that comes while a keymap change settles is announced with
// the names read again, never with the old ones, and at most 5 ms after it
// however long the keymap goes on changing (see KeymapSettle).
class XkbKeyboard final : public SourceTracker {
 public:
  // `changed` runs on the main thread after each group switch or keymap change.
  // Returns null, with the reason in `error`, when the display has no XKB.
  static std::unique_ptr<XkbKeyboard> open(std::function<void()> changed, std::string& error);
  ~XkbKeyboard() override;
  XkbKeyboard(const XkbKeyboard&) = delete;
  XkbKeyboard& operator=(const XkbKeyboard&) = delete;

  // Always a source: the keyboard always has a group.
  std::optional<NamedSource> current() const override;

 private:
  struct Impl;
  explicit XkbKeyboard(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace vellicor::qt
