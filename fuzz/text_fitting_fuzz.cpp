// Arbitrary widths, budgets and font sizes through text fitting: it always
// ends, never enlarges the font, never shrinks it more than one step below the
// floor, and the panel width stays a whole number between its limits.
#include <cmath>
#include <cstdlib>

#include "fuzz_input.h"
#include "hud/hud_manager.h"
#include "platform/sim/sim_desktop.h"
#include "support/hud_test_access.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vellicor::sim::SimDesktop desktop;
  vellicor::fuzz::FuzzInput in(data, size);
  const double perPoint = in.number();
  const double offset = in.number();
  const double baseSize = in.number();
  const double maxWidth = in.number();
  const std::string text = in.remaining();
  desktop.fonts.setMeasurer([&](const std::string& t, double points) {
    return t.empty() ? offset : perPoint * points + offset;
  });
  const auto hud = vellicor::HUDManagerTestAccess::make(desktop.platform());
  const auto base = desktop.fonts.systemFont(baseSize, vellicor::FontWeight::Regular);

  const auto before = desktop.fonts.measurements();
  const auto font = hud->fittingFont(text, base, maxWidth);
  const double fitted = font->pointSize();
  if (desktop.fonts.measurements() - before > 1001) {
    std::abort();
  }
  if (font != base && !(fitted < baseSize && fitted >= 17.0)) {
    std::abort();  // a shrunk font is smaller, and at most one step below 18
  }
  const double w = hud->widthFor(text, *font);
  if (!(w >= 160.0 && w <= 520.0) || w != std::floor(w)) {
    std::abort();
  }
  return 0;
}
