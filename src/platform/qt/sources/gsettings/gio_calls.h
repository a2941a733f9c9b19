#pragma once

#include <gio/gio.h>

namespace vellicor::qt {

// The GIO and GObject calls the settings readers make, resolved from the
// library at run time (GioLibrary). GLib's own calls (GVariant, g_free) are
// linked as usual: Qt's event loop loads GLib anyway.
struct GioCalls {
  decltype(&g_settings_schema_source_get_default) schemaSourceGetDefault;
  decltype(&g_settings_schema_source_lookup) schemaSourceLookup;
  decltype(&g_settings_schema_unref) schemaUnref;
  decltype(&g_settings_schema_has_key) schemaHasKey;
  decltype(&g_settings_schema_get_key) schemaGetKey;
  decltype(&g_settings_schema_key_get_value_type) schemaKeyGetValueType;
  decltype(&g_settings_schema_key_unref) schemaKeyUnref;
  decltype(&g_settings_new_full) settingsNewFull;
  decltype(&g_settings_get_value) settingsGetValue;
  decltype(&g_settings_get_string) settingsGetString;
  decltype(&g_signal_connect_data) signalConnectData;
  decltype(&g_signal_handler_disconnect) signalHandlerDisconnect;
  decltype(&g_object_unref) objectUnref;
};

}  // namespace vellicor::qt
