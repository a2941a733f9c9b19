#include "platform/qt/sources/gsettings_schema.h"

namespace vellicor::qt {
namespace {

bool hasKey(GSettingsSchema* schema, const SchemaKey& wanted) {
  if (!g_settings_schema_has_key(schema, wanted.name)) {
    return false;
  }
  GSettingsSchemaKey* key = g_settings_schema_get_key(schema, wanted.name);
  const bool typed = g_variant_type_equal(g_settings_schema_key_get_value_type(key), wanted.type);
  g_settings_schema_key_unref(key);
  return typed;
}

}  // namespace

SchemaRef installedSchema(const char* id, std::initializer_list<SchemaKey> keys) {
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  if (source == nullptr) {
    return nullptr;
  }
  SchemaRef schema(g_settings_schema_source_lookup(source, id, TRUE));
  if (!schema) {
    return nullptr;
  }
  for (const SchemaKey& key : keys) {
    if (!hasKey(schema.get(), key)) {
      return nullptr;
    }
  }
  return schema;
}

}  // namespace vellicor::qt
