#pragma once

#include <string>

#include "platform/input_sources.h"

namespace vellicor::cocoa {

// The Text Input Sources service: the copied source is released (CFRelease)
// once, when its handle goes; property values are the source's own, borrowed.
//
// Checklist: exact, with the real key constants' text and the real notification name.
class CocoaInputSources final : public InputSources {
 public:
  InputSourceRef copyCurrentKeyboardInputSource() override;
  TypeID stringTypeID() const override;
  std::string keyText(PropertyKey key) const override;
  std::string selectedSourceChangedNotification() const override;
};

}  // namespace vellicor::cocoa
