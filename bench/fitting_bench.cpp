// Names from outside on the Linux desktop's own fonts: the bound every name
// passes as a tracker hands it over, and the panel's fitting of the longest
// names the bound lets through, measured with Qt's text layout (fontconfig's
// fonts, Nanum for Hangul) as the program measures them.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#include <string>

#include "hud/hud_manager.h"
#include "platform/fonts.h"
#include "platform/icu/bounded_text.h"
#include "platform/platform.h"
#include "platform/qt/qt_fonts.h"
#include "platform/sim/sim_desktop.h"

namespace {

using vellicor::HUDManager;

std::string repeated(const std::string& piece, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) {
    out += piece;
  }
  return out;
}

// The simulated desktop with the Linux desktop's fonts, for the one HUD
// manager of the process.
std::shared_ptr<HUDManager> hud() {
  static vellicor::sim::SimDesktop desktop;
  static vellicor::qt::QtFonts fonts;
  static const vellicor::Platform platform{desktop.application,
                                           desktop.distributedCenter,
                                           desktop.workspaceCenter,
                                           desktop.inputSources,
                                           desktop.statusBar,
                                           desktop.windows,
                                           fonts,
                                           desktop.screens,
                                           desktop.threads,
                                           desktop.clock,
                                           desktop.log,
                                           desktop.text,
                                           desktop.accessibility};
  return HUDManager::shared(platform);
}

// A name of two megabytes, as a sway event may carry, cut to what is shown.
void BM_BoundOfAGiantName(benchmark::State& state) {
  const std::string giant = repeated("가", 700000);
  for (auto _ : state) {
    benchmark::DoNotOptimize(vellicor::boundedName(giant));
  }
}
BENCHMARK(BM_BoundOfAGiantName);

// What the bound lets through at its longest, fitted from the panel's 30
// points down: Hangul, Latin, and clusters of many marks up to the bytes.
void BM_FittingTheLongestName(benchmark::State& state, const std::string& name) {
  const std::string shown = vellicor::boundedName(name);
  const auto manager = hud();
  vellicor::qt::QtFonts fonts;
  const auto base = fonts.systemFont(30, vellicor::FontWeight::Semibold);
  for (auto _ : state) {
    benchmark::DoNotOptimize(manager->fittingFont(shown, base, 520.0));
  }
}
BENCHMARK_CAPTURE(BM_FittingTheLongestName, hangul, repeated("가", 1000));
BENCHMARK_CAPTURE(BM_FittingTheLongestName, latin, repeated("W", 1000));
BENCHMARK_CAPTURE(BM_FittingTheLongestName, marks, repeated("a\u0301\u0302\u0303", 1000));

}  // namespace

int main(int argc, char** argv) {
  // Qt's text layout needs an application, not a display.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
