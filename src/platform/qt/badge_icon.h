#pragma once

#include <QIcon>
#include <string>

namespace vellicor::qt {

// The badge drawn as a tray icon: white text on a dark rounded tile with a
// light rim, so that it reads on light and dark panels alike. Drawn at the
// common tray sizes and at twice each for HiDPI panels.
QIcon badgeIcon(const std::string& badge);

}  // namespace vellicor::qt
