#pragma once

#include <QString>
#include <optional>

#include "platform/qt/sources/ibus/ibus_engine_mode.h"

namespace vellicor::qt {

// The component files ibus-daemon reads (the folders in IBUS_COMPONENT_PATH,
// else /usr/share/ibus/component, and the user's own ibus/component folder),
// read when asked, each file only up to a size no component file comes near.

// The bus name of the IBus component that provides `engine`; empty when no
// file lists the engine.
QString ibusComponentOf(const QString& engine);

// The engine as its component file describes it (name, long name, layout and
// variant); none when no file lists it.
std::optional<IBusEngine> ibusEngineOf(const QString& engine);

}  // namespace vellicor::qt
