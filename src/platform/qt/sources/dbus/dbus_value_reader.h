#pragma once

#include "platform/qt/sources/dbus/dbus_value.h"

class QVariant;

namespace vellicor::qt {

// A D-Bus argument as QtDBus hands it over, read into a plain tree whatever
// its shape, in time and memory bounded by the reader, not by the sender: a
// container nested deeper than D-Bus allows reads as Other, and past 16384
// values the rest of the argument is left unread.
DBusValue readDBusValue(const QVariant& argument);

}  // namespace vellicor::qt
