#include "platform/sim/sim_desktop.h"

namespace vellicor::sim {

SimDesktop::SimDesktop() {
  screens.setScreens({Rect{{0, 0}, {1440, 900}}});
  screens.setMouseLocation({720, 450});
}

Platform SimDesktop::platform() {
  return Platform{
      application, distributedCenter, workspaceCenter, inputSources, statusBar, windows,      fonts,
      screens,     threads,           clock,           log,          text,      accessibility};
}

void SimDesktop::selectSource(const SimSource& source) {
  inputSources.setCurrent(source);
  repostSourceChanged();
}

void SimDesktop::repostSourceChanged() {
  distributedCenter.post(inputSources.selectedSourceChangedNotification());
}

void SimDesktop::activateAnotherApplication() {
  workspaceCenter.post(application.didActivateApplicationNotification());
}

bool SimDesktop::chooseStatusMenuItem(long index) {
  if (statusBar.installed().empty()) {
    return false;
  }
  const SimMenu* menu = statusBar.installed().front()->simMenu();
  if (menu == nullptr || index < 0 || index >= static_cast<long>(menu->items.size())) {
    return false;
  }
  const auto& item = menu->items[static_cast<std::size_t>(index)];
  return !item->action.empty() && application.sendAction(item->action);
}

}  // namespace vellicor::sim
