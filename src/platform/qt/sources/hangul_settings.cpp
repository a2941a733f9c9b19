#include "platform/qt/sources/hangul_settings.h"

#include <memory>

#include "platform/qt/sources/gsettings_schema.h"
#include "platform/qt/sources/session_bus.h"

namespace vellicor::qt {
namespace {

constexpr char kSchema[] = "org.freedesktop.ibus.engine.hangul";
constexpr char kKey[] = "initial-input-mode";

}  // namespace

std::string hangulInitialInputMode() {
  // A GSettings object made before the session bus is named to GIO would leave
  // every later one deaf to changes (GNOME's input sources among them).
  if (!SessionBus::namedToLibraries()) {
    return {};
  }
  const SchemaRef schema = installedSchema(kSchema, {{kKey, G_VARIANT_TYPE_STRING}});
  if (!schema) {
    return {};
  }
  const SettingsRef settings(g_settings_new_full(schema.get(), nullptr, nullptr));
  const std::unique_ptr<gchar, Free> value(g_settings_get_string(settings.get(), kKey));
  return value ? std::string(value.get()) : std::string();
}

}  // namespace vellicor::qt
