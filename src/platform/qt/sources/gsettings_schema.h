#pragma once

#include <gio/gio.h>

#include <initializer_list>
#include <memory>

namespace vellicor::qt {

// Owners of the GLib references the settings readers hold.
struct SchemaUnref {
  void operator()(GSettingsSchema* schema) const { g_settings_schema_unref(schema); }
};
struct ObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
struct VariantUnref {
  void operator()(GVariant* value) const { g_variant_unref(value); }
};
struct Free {
  void operator()(gpointer memory) const { g_free(memory); }
};
using SchemaRef = std::unique_ptr<GSettingsSchema, SchemaUnref>;
using SettingsRef = std::unique_ptr<GSettings, ObjectUnref>;

// GSettings aborts on a schema or key it does not know, so both are looked up
// first. The installed schema `id`, when it has every key of `keys` with the
// value type given beside it; none otherwise.
struct SchemaKey {
  const char* name;
  const GVariantType* type;
};
SchemaRef installedSchema(const char* id, std::initializer_list<SchemaKey> keys);

}  // namespace vellicor::qt
