#include "platform/qt/sources/gnome/shell_report.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vellicor::qt {
namespace {

constexpr long long kFarthest = 65536;
constexpr double kLargestScale = 16;

}  // namespace

std::optional<ShellReport> shellReport(std::string type, std::string id, int x, int y, int width,
                                       int height, double scale, std::string& why) {
  GnomeSource source{std::move(type), std::move(id)};
  if (!isGnomeSource(source)) {
    why = "a source that is not a keyboard layout or IBus engine of at most 256 bytes";
    return std::nullopt;
  }
  const auto within = [](long long value) { return value >= -kFarthest && value <= kFarthest; };
  if (width <= 0 || height <= 0 || !within(x) || !within(y) ||
      !within(static_cast<long long>(x) + width) || !within(static_cast<long long>(y) + height)) {
    why = "a monitor of no size or beyond any screen's";
    return std::nullopt;
  }
  if (!std::isfinite(scale) || scale <= 0 || scale > kLargestScale) {
    why = "a monitor scale that is not between 0 and 16";
    return std::nullopt;
  }
  return ShellReport{std::move(source), ShellMonitor{OutputRect{x, y, width, height}, scale}};
}

std::optional<OutputRect> screenOfMonitor(const ShellMonitor& monitor,
                                          const std::vector<OutputRect>& screens) {
  const OutputRect& logical = monitor.area;
  const auto scaled = [&](int value) {
    return static_cast<int>(std::lround(static_cast<double>(value) * monitor.scale));
  };
  const OutputRect device{scaled(logical.x), scaled(logical.y), scaled(logical.width),
                          scaled(logical.height)};
  for (const OutputRect* wanted : {&logical, &device}) {
    const auto found = std::find(screens.begin(), screens.end(), *wanted);
    if (found != screens.end()) {
      return *found;
    }
  }
  return std::nullopt;
}

}  // namespace vellicor::qt
