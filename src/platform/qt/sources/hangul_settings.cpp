#include "platform/qt/sources/hangul_settings.h"

#include <gio/gio.h>

#include <memory>

#include "platform/qt/sources/session_bus.h"

namespace vellicor::qt {
namespace {

constexpr char kSchema[] = "org.freedesktop.ibus.engine.hangul";
constexpr char kKey[] = "initial-input-mode";

struct SchemaUnref {
  void operator()(GSettingsSchema* schema) const { g_settings_schema_unref(schema); }
};
struct ObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
struct Free {
  void operator()(gchar* text) const { g_free(text); }
};

}  // namespace

std::string hangulInitialInputMode() {
  // A GSettings object made before the session bus is named to GIO would leave
  // every later one deaf to changes (GNOME's input sources among them).
  if (!SessionBus::namedToLibraries()) {
    return {};
  }
  // GSettings aborts on a schema or key it does not know, so both are looked up first.
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  if (source == nullptr) {
    return {};
  }
  const std::unique_ptr<GSettingsSchema, SchemaUnref> schema(
      g_settings_schema_source_lookup(source, kSchema, TRUE));
  if (!schema || !g_settings_schema_has_key(schema.get(), kKey)) {
    return {};
  }
  GSettingsSchemaKey* key = g_settings_schema_get_key(schema.get(), kKey);
  const bool isText =
      g_variant_type_equal(g_settings_schema_key_get_value_type(key), G_VARIANT_TYPE_STRING);
  g_settings_schema_key_unref(key);
  if (!isText) {
    return {};
  }
  const std::unique_ptr<GSettings, ObjectUnref> settings(
      g_settings_new_full(schema.get(), nullptr, nullptr));
  const std::unique_ptr<gchar, Free> value(g_settings_get_string(settings.get(), kKey));
  return value ? std::string(value.get()) : std::string();
}

}  // namespace vellicor::qt
