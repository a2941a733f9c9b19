#include "platform/qt/sources/gsettings/gsettings_schema.h"

namespace vellicor::qt {
namespace {

bool hasKey(const GioCalls& gio, GSettingsSchema* schema, const SchemaKey& wanted) {
  if (!gio.schemaHasKey(schema, wanted.name)) {
    return false;
  }
  GSettingsSchemaKey* key = gio.schemaGetKey(schema, wanted.name);
  const bool typed = g_variant_type_equal(gio.schemaKeyGetValueType(key), wanted.type);
  gio.schemaKeyUnref(key);
  return typed;
}

}  // namespace

SchemaRef installedSchema(const GioCalls& gio, const char* id,
                          std::initializer_list<SchemaKey> keys) {
  GSettingsSchemaSource* source = gio.schemaSourceGetDefault();
  if (source == nullptr) {
    return SchemaRef(nullptr, SchemaUnref{&gio});
  }
  SchemaRef schema(gio.schemaSourceLookup(source, id, TRUE), SchemaUnref{&gio});
  if (!schema) {
    return schema;
  }
  for (const SchemaKey& key : keys) {
    if (!hasKey(gio, schema.get(), key)) {
      return SchemaRef(nullptr, SchemaUnref{&gio});
    }
  }
  return schema;
}

SettingsRef settingsOf(const GioCalls& gio, GSettingsSchema* schema) {
  return SettingsRef(gio.settingsNewFull(schema, nullptr, nullptr), ObjectUnref{&gio});
}

}  // namespace vellicor::qt
