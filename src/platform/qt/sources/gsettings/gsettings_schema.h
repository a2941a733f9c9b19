#pragma once

#include <initializer_list>
#include <memory>

#include "platform/qt/sources/gsettings/gio_calls.h"

namespace vellicor::qt {

// Owners of the GLib references the settings readers hold.
struct SchemaUnref {
  const GioCalls* gio = nullptr;
  void operator()(GSettingsSchema* schema) const { gio->schemaUnref(schema); }
};
struct ObjectUnref {
  const GioCalls* gio = nullptr;
  void operator()(gpointer object) const { gio->objectUnref(object); }
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
SchemaRef installedSchema(const GioCalls& gio, const char* id,
                          std::initializer_list<SchemaKey> keys);
// A settings object of `schema`, owned.
SettingsRef settingsOf(const GioCalls& gio, GSettingsSchema* schema);

}  // namespace vellicor::qt
