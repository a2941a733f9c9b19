// The program's own cost on the simulated desktop: a whole change of input
// source, the worst-case text fitting, the badge and the name comparison.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "app/app_delegate.h"
#include "hud/hud_manager.h"
#include "platform/fonts.h"
#include "platform/sim/sim_desktop.h"

namespace {

using vellicor::AppDelegate;
using vellicor::HUDManager;
using vellicor::sim::namedSource;
using vellicor::sim::SimDesktop;

// One desktop for the process, as the shared HUD manager built from it needs.
SimDesktop& desktop() {
  static auto* const d = [] {
    auto* made = new SimDesktop;
    made->log.setKeepLines(false);
    made->inputSources.setKeepTrace(false);
    return made;
  }();
  return *d;
}

std::shared_ptr<AppDelegate> launchedDelegate() {
  SimDesktop& d = desktop();
  const auto platform = d.platform();
  auto delegate =
      std::make_shared<AppDelegate>(platform, [platform] { return HUDManager::shared(platform); });
  d.inputSources.setCurrent(namedSource("2-Set Korean", "com.apple.inputmethod.Korean.2SetKorean"));
  d.application.launch(delegate);
  return delegate;
}

// Notification delivery, query, comparison, log line, menu update and HUD show.
void BM_InputSourceChange(benchmark::State& state) {
  SimDesktop& d = desktop();
  auto delegate = launchedDelegate();
  const auto korean = namedSource("2-Set Korean", "com.apple.inputmethod.Korean.2SetKorean");
  const auto abc = namedSource("ABC", "com.apple.keylayout.ABC");
  bool toKorean = false;
  for (auto _ : state) {
    d.selectSource(toKorean ? korean : abc);
    d.threads.runPending();
    toKorean = !toKorean;
  }
  // A copy: newer benchmark releases deprecate DoNotOptimize on a const reference.
  std::string last = delegate->currentName();
  benchmark::DoNotOptimize(last);
  delegate->applicationWillTerminate();
}
BENCHMARK(BM_InputSourceChange);

// Too wide at every size from 30 down to 18 points: 13 measurements.
void BM_WorstCaseFitting(benchmark::State& state) {
  SimDesktop& d = desktop();
  const auto hud = HUDManager::shared(d.platform());
  const auto base = d.fonts.systemFont(30, vellicor::FontWeight::Semibold);
  const std::string text(200, 'W');
  for (auto _ : state) {
    benchmark::DoNotOptimize(hud->fittingFont(text, base, 520.0));
  }
}
BENCHMARK(BM_WorstCaseFitting);

void BM_ShortBadge(benchmark::State& state, const std::string& name) {
  SimDesktop& d = desktop();
  const auto platform = d.platform();
  const AppDelegate delegate(platform, [platform] { return HUDManager::shared(platform); });
  for (auto _ : state) {
    benchmark::DoNotOptimize(delegate.shortBadge(name));
  }
}
BENCHMARK_CAPTURE(BM_ShortBadge, korean, std::string("한국어"));
BENCHMARK_CAPTURE(BM_ShortBadge, english, std::string("영어"));
BENCHMARK_CAPTURE(BM_ShortBadge, two_set_korean, std::string("2-Set Korean"));
BENCHMARK_CAPTURE(BM_ShortBadge, abc, std::string("ABC"));
BENCHMARK_CAPTURE(BM_ShortBadge, dvorak, std::string("Dvorak"));
BENCHMARK_CAPTURE(BM_ShortBadge, long_10000, std::string(10000, 'q'));
BENCHMARK_CAPTURE(BM_ShortBadge, long_hangul_10000, std::string(3333, 'q') + std::string("쀍쀍"));

void BM_CanonicallyEqual(benchmark::State& state, const std::string& a, const std::string& b) {
  const vellicor::IcuTextServices text;
  for (auto _ : state) {
    benchmark::DoNotOptimize(text.canonicallyEqual(a, b));
  }
}
BENCHMARK_CAPTURE(BM_CanonicallyEqual, identical, std::string("2-Set Korean"),
                  std::string("2-Set Korean"));
BENCHMARK_CAPTURE(BM_CanonicallyEqual, composed_vs_jamo, std::string("한국어"),
                  std::string("\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB국어"));
BENCHMARK_CAPTURE(BM_CanonicallyEqual, unequal_ascii, std::string("2-Set Korean"),
                  std::string("ABC"));
BENCHMARK_CAPTURE(BM_CanonicallyEqual, unequal_hangul, std::string("한국어"), std::string("영어"));

}  // namespace
