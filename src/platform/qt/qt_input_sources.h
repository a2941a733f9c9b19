#pragma once

#include <string>

#include "platform/input_sources.h"
#include "platform/qt/sources/xkb/xkb_names.h"

namespace vellicor::qt {

// The selected keyboard source as the desktop last reported it. Every property
// is a string; a property the desktop does not know is absent. This is where
// every tracker's names reach the program: each is bounded here (boundedName),
// so that no name from outside can make the log, the panel, the menu or the
// tray measure, draw or write megabytes.
//
// Checklist: copy, release (destroying the handle) and the string type check
// are exact. The key texts and the notification name are macOS's spellings.
class QtInputSources final : public InputSources {
 public:
  InputSourceRef copyCurrentKeyboardInputSource() override;
  TypeID stringTypeID() const override;
  std::string keyText(PropertyKey key) const override;
  std::string selectedSourceChangedNotification() const override;

  // Called on the main thread by whatever watches the keyboard.
  void setCurrent(const NamedSource& source);

 private:
  NamedSource current_;
};

}  // namespace vellicor::qt
