// Runs the real program on the simulated desktop through a scripted session and
// prints what it shows: log lines, the status item and its menu, the HUD.

#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/vellicor_app.h"
#include "demo/demo_report.h"
#include "platform/sim/sim_desktop.h"

namespace {

using vellicor::sim::identifiedSource;
using vellicor::sim::namedSource;
using vellicor::sim::SimDesktop;
using vellicor::sim::SimSource;

struct Step {
  double at;
  const char* event;
  std::function<void(SimDesktop&)> action;
};

std::vector<Step> script() {
  const SimSource korean = namedSource("2-Set Korean", "com.apple.inputmethod.Korean.2SetKorean");
  const SimSource abc = namedSource("ABC", "com.apple.keylayout.ABC");
  const SimSource unnamed{vellicor::sim::simNonString(), vellicor::sim::simNonString()};
  const SimSource idOnly = identifiedSource("com.apple.inputmethod.Korean.2SetKorean");
  const SimSource dvorak = namedSource("Dvorak", "com.apple.keylayout.Dvorak");
  return {
      {1.0, "switch to ABC", [=](SimDesktop& d) { d.selectSource(abc); }},
      {2.25, "1.25 s later", nullptr},
      {2.5, "same source announced again", [](SimDesktop& d) { d.repostSourceChanged(); }},
      {3.0, "pointer to screen #1, switch to a source with no readable name",
       [=](SimDesktop& d) {
         d.screens.setMouseLocation({-640, 500});
         d.selectSource(unnamed);
       }},
      {3.5, "switch to a source known only by its identifier",
       [=](SimDesktop& d) { d.selectSource(idOnly); }},
      {4.0, "switch to Dvorak 0.5 s later", [=](SimDesktop& d) { d.selectSource(dvorak); }},
      {4.6, "0.6 s after the last switch", nullptr},
      {5.25, "1.25 s after the last switch", nullptr},
      {5.5, "pointer back to screen #0, switch to Korean",
       [=](SimDesktop& d) {
         d.screens.setMouseLocation({720, 450});
         d.selectSource(korean);
       }},
      {7.0, "choose \"종료\" in the menu", [](SimDesktop& d) { d.chooseStatusMenuItem(2); }},
  };
}

}  // namespace

int main() {
  SimDesktop desktop;
  desktop.screens.setScreens({{{0, 0}, {1440, 900}}, {{-1280, 100}, {1280, 800}}});
  desktop.inputSources.setCurrent(
      namedSource("2-Set Korean", "com.apple.inputmethod.Korean.2SetKorean"));

  vellicor::demo::DemoReport report(desktop, std::cout);
  std::cout << "Vellicor on the simulated desktop (no real window is opened)\n";
  report.screens();

  // Each step is a timer on the virtual clock; its report is queued behind the
  // work the step caused, so it shows the result.
  std::vector<std::shared_ptr<vellicor::TimerSource>> timers;
  for (const Step& step : script()) {
    auto timer = desktop.threads.makeTimerSource();
    timer->schedule(step.at);
    timer->setEventHandler([&desktop, &report, step] {
      if (step.action) {
        step.action(desktop);
      }
      desktop.threads.asyncMain([&report, event = step.event] { report.state(event); });
    });
    timer->activate();
    timers.push_back(timer);
  }
  desktop.threads.asyncMain([&report] { report.state("launched"); });

  const int status = vellicor::VellicorApp::main(desktop.platform());
  report.state(desktop.application.terminated() ? "terminated" : "event loop ran dry");
  return desktop.application.terminated() ? status : 1;
}
