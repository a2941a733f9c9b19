#pragma once

#include <QString>

namespace vellicor::qt {

// The bus name of the IBus component that provides `engine`, read from the
// component files ibus-daemon reads (the folders in IBUS_COMPONENT_PATH, else
// /usr/share/ibus/component, and the user's own ibus/component folder); empty
// when no file lists the engine.
QString ibusComponentOf(const QString& engine);

}  // namespace vellicor::qt
