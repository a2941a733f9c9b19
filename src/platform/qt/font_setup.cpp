#include "platform/qt/font_setup.h"

#include <fontconfig/fontconfig.h>

namespace vellicor::qt {

FontSetup::FontSetup() : thread_([] { FcInit(); }) {}

}  // namespace vellicor::qt
