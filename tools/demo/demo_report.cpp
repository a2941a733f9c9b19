#include "demo/demo_report.h"

#include <cstdio>
#include <string>

#include "platform/sim/sim_desktop.h"

namespace vellicor::demo {
namespace {

std::string formatRect(const Rect& r) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "(%g, %g) %g x %g", r.origin.x, r.origin.y, r.size.width,
                r.size.height);
  return buffer;
}

}  // namespace

void DemoReport::screens() const {
  const auto all = desktop_.screens.screens();
  const auto main = desktop_.screens.mainScreen();
  out_ << "screens:";
  for (std::size_t i = 0; i < all.size(); ++i) {
    out_ << (i == 0 ? " " : ", ") << '#' << i << ' ' << formatRect(all[i]->frame())
         << (all[i] == main ? " [main]" : "");
  }
  out_ << '\n';
}

void DemoReport::state(const char* event) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "[%7.3f s] ", desktop_.threads.now());
  const Point mouse = desktop_.screens.mouseLocation();
  out_ << stamp << event << "  (pointer at " << mouse.x << ", " << mouse.y << ")\n";

  const auto lines = desktop_.log.lines();
  for (; logged_ < lines.size(); ++logged_) {
    out_ << "    log:    " << lines[logged_] << '\n';
  }

  const auto& items = desktop_.statusBar.installed();
  if (items.empty()) {
    out_ << "    status: no item in the menu bar\n";
  } else {
    const auto& item = *items.front();
    out_ << "    status: badge \"" << (item.simButton ? item.simButton->title : "") << '"';
    if (const sim::SimMenu* menu = item.simMenu()) {
      out_ << ", menu:";
      for (const auto& entry : menu->items) {
        if (entry->separator) {
          out_ << " | ---";
        } else {
          out_ << " | \"" << entry->title << '"'
               << (entry->keyEquivalent.empty() ? "" : " (key " + entry->keyEquivalent + ")")
               << (entry->action.empty() ? " [disabled]" : "");
        }
      }
    }
    out_ << '\n';
  }

  const auto windows = desktop_.windows.windows();
  if (windows.empty()) {
    out_ << "    hud:    not built yet\n";
    return;
  }
  const auto& hud = *windows.front();
  out_ << "    hud:    " << (hud.visible ? "shown" : "hidden") << " at " << formatRect(hud.frame)
       << ", alpha " << hud.alpha;
  if (const auto* label = sim::findLabel(hud)) {
    out_ << ", text \"" << label->stringValue << "\" at "
         << (label->currentFont ? label->currentFont->pointSize() : 0) << " pt";
  }
  out_ << '\n';
}

}  // namespace vellicor::demo
