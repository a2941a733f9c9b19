#include "app/vellicor_app.h"

#include "app/app_delegate.h"
#include "hud/hud_manager.h"
#include "platform/application.h"

namespace vellicor {

VellicorApp::VellicorApp(const Platform& platform)
    : appDelegate(std::make_shared<AppDelegate>(
          platform, [platform] { return HUDManager::shared(platform); })) {}

int VellicorApp::main(const Platform& platform) {
  VellicorApp app(platform);
  platform.application.run(app.appDelegate);
  return 0;
}

}  // namespace vellicor
