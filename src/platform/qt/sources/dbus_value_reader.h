#pragma once

#include "platform/qt/sources/dbus_value.h"

class QVariant;

namespace vellicor::qt {

// A D-Bus argument as QtDBus hands it over, read into a plain tree whatever
// its shape; nesting beyond what D-Bus allows reads as Other.
DBusValue readDBusValue(const QVariant& argument);

}  // namespace vellicor::qt
