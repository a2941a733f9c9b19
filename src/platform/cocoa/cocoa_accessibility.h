#pragma once

#include <string>

#include "platform/accessibility.h"

namespace vellicor::cocoa {

// VoiceOver: an announcement requested of the application at high priority,
// so that it cuts short what was said before. Posted on the application,
// since a menu-bar agent has no main or key window.
//
// Checklist: the call is exact; whether VoiceOver speaks an announcement of
// an application that is not frontmost is not documented, and only a Mac can
// tell (README says how to check it).
class CocoaAccessibility final : public Accessibility {
 public:
  void announce(const std::string& text) override;
};

}  // namespace vellicor::cocoa
