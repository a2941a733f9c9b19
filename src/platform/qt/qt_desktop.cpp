#include "platform/qt/qt_desktop.h"

#include "platform/clock.h"
#include "platform/qt/ibus_watch.h"
#include "platform/qt/x11_support.h"
#include "platform/qt/xkb_keyboard.h"

namespace vellicor::qt {

class QtDesktop::SystemClock final : public WallClock {
 public:
  WallTime now() const override { return std::chrono::system_clock::now(); }
};

QtDesktop::QtDesktop() : clock_(std::make_unique<SystemClock>()) {}

QtDesktop::~QtDesktop() = default;

std::unique_ptr<QtDesktop> QtDesktop::open(std::string& error) {
  std::unique_ptr<QtDesktop> desktop(new QtDesktop);
  QtDesktop* d = desktop.get();
  d->keyboard_ = XkbKeyboard::open([d] { d->sourceChanged(); }, error);
  if (!d->keyboard_) {
    return nullptr;
  }
  d->inputSources.setCurrent(d->keyboard_->current());
  d->ibus_ = std::make_unique<IBusWatch>([d] { d->sourceChanged(); });
  d->activation_ = ActiveWindowWatch::open(
      [d] { d->workspaceCenter.post(d->application.didActivateApplicationNotification()); });
  return desktop;
}

void QtDesktop::sourceChanged() {
  const auto engine = ibus_ ? ibus_->current() : std::nullopt;
  inputSources.setCurrent(engine ? *engine : keyboard_->current());
  distributedCenter.post(inputSources.selectedSourceChangedNotification());
}

Platform QtDesktop::platform() {
  return Platform{application, distributedCenter, workspaceCenter, inputSources, statusBar, windows,
                  fonts,       screens,           threads,         *clock_,      log,       text};
}

}  // namespace vellicor::qt
