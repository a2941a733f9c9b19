#include "platform/qt/panel_anchor.h"

namespace vellicor::qt {

PanelAnchor panelAnchor(bool waylandSession, bool outputNamed, bool pointerOverXWindow) {
  if (waylandSession && outputNamed) {
    return PanelAnchor::ActiveOutput;
  }
  if (waylandSession && !pointerOverXWindow) {
    return PanelAnchor::PrimaryScreen;
  }
  return PanelAnchor::Pointer;
}

bool waitForPointer(bool waylandSession, bool outputNamed, bool pointerOverXWindow,
                    std::optional<std::chrono::milliseconds> sinceLeftXWindows) {
  return waylandSession && !outputNamed && !pointerOverXWindow && sinceLeftXWindows &&
         *sinceLeftXWindows < kPointerJustLeft;
}

}  // namespace vellicor::qt
