// Arbitrary property values behind the current input source: a display name
// always comes out, every copied source is released once, and at most two log
// lines are written.
#include <cstdlib>

#include "app/app_delegate.h"
#include "fuzz_input.h"
#include "hud/hud_manager.h"
#include "platform/sim/sim_desktop.h"
#include "support/hud_test_access.h"

namespace {

std::optional<vellicor::sim::SimValue> property(vellicor::fuzz::FuzzInput& in) {
  const uint8_t kind = in.byte();
  if (kind % 3 == 0) {
    return std::nullopt;
  }
  if (kind % 3 == 1) {
    return vellicor::sim::simString(in.text());
  }
  return vellicor::sim::simNonString(in.value<vellicor::TypeID>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vellicor::sim::SimDesktop desktop;
  const vellicor::AppDelegate delegate(
      desktop.platform(),
      [hud = vellicor::HUDManagerTestAccess::make(desktop.platform())] { return hud; });
  vellicor::fuzz::FuzzInput in(data, size);
  if (in.byte() % 8 == 0) {
    desktop.inputSources.setCurrent(std::nullopt);
  } else {
    vellicor::sim::SimSource source;
    source.localizedName = property(in);
    source.inputSourceID = property(in);
    desktop.inputSources.setCurrent(source);
  }
  const std::string name = delegate.getCurrentInputSource();
  if (desktop.text.validUTF8(name) != name ||
      desktop.inputSources.releases() != desktop.inputSources.copies() ||
      desktop.log.lines().size() > 2) {
    std::abort();
  }
  return 0;
}
