#pragma once

#include <QIcon>
#include <string>

namespace vellicor::qt {

// The badge as a tray icon: white text on a dark rounded tile with a light
// rim, so that it reads on light and dark panels alike, drawn crisply at the
// size and pixel ratio (HiDPI) the tray paints it at.
QIcon badgeIcon(const std::string& badge);

}  // namespace vellicor::qt
