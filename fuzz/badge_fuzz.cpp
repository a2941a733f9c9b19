// Any display name through the badge: never empty, always well-formed, and the
// same badge the text services give when asked step by step.
#include <cstdlib>

#include "app/app_delegate.h"
#include "fuzz_input.h"
#include "hud/hud_manager.h"
#include "platform/sim/sim_desktop.h"
#include "support/hud_test_access.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static vellicor::sim::SimDesktop desktop;
  static const vellicor::AppDelegate delegate(
      desktop.platform(),
      [hud = vellicor::HUDManagerTestAccess::make(desktop.platform())] { return hud; });
  const vellicor::TextServices& text = desktop.text;
  const std::string name = vellicor::fuzz::FuzzInput(data, size).remaining();

  const std::string badge = delegate.shortBadge(name);
  if (badge.empty() || text.validUTF8(badge) != badge) {
    std::abort();
  }
  if (badge != "한" && badge != "A" &&
      badge != text.uppercased(text.firstCharacter(text.trimmingWhitespaceAndNewlines(name)))) {
    std::abort();
  }
  return 0;
}
