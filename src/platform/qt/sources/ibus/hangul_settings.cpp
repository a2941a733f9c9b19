#include "platform/qt/sources/ibus/hangul_settings.h"

// GLib's headers (under the schema's) before Qt's, whose `signals` would
// rename a field of theirs.
#include "platform/qt/sources/gsettings/gio_library.h"
#include "platform/qt/sources/gsettings/gsettings_schema.h"

#include <memory>

#include "platform/qt/sources/dbus/session_bus.h"

namespace vellicor::qt {
namespace {

constexpr char kSchema[] = "org.freedesktop.ibus.engine.hangul";
constexpr char kKey[] = "initial-input-mode";

}  // namespace

std::string hangulInitialInputMode(GioLibrary& gio) {
  // A GSettings object made before the session bus is named to GIO would leave
  // every later one deaf to changes (GNOME's input sources among them).
  if (!SessionBus::namedToLibraries()) {
    return {};
  }
  const GioCalls* calls = gio.calls();
  if (calls == nullptr) {
    return {};
  }
  const SchemaRef schema = installedSchema(*calls, kSchema, {{kKey, G_VARIANT_TYPE_STRING}});
  if (!schema) {
    return {};
  }
  const SettingsRef settings = settingsOf(*calls, schema.get());
  const std::unique_ptr<gchar, Free> value(calls->settingsGetString(settings.get(), kKey));
  return value ? std::string(value.get()) : std::string();
}

}  // namespace vellicor::qt
