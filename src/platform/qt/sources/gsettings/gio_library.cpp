#include "platform/qt/sources/gsettings/gio_library.h"

#include <dlfcn.h>

#include "platform/qt/sources/gsettings/gio_calls.h"

namespace vellicor::qt {
namespace {

// Resolves `name` into `call`; false when the library lacks it.
template <typename Call>
bool resolve(void* library, const char* name, Call& call) {
  call = reinterpret_cast<Call>(dlsym(library, name));
  return call != nullptr;
}

}  // namespace

GioLibrary::GioLibrary() = default;
GioLibrary::~GioLibrary() = default;

const GioCalls* GioLibrary::calls() {
  if (tried_) {
    return calls_.get();
  }
  tried_ = true;
  // Never unloaded: RTLD_NODELETE keeps it when the handle is closed.
  void* library = dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (library == nullptr) {
    return nullptr;
  }
  auto calls = std::make_unique<GioCalls>();
  const bool complete =
      resolve(library, "g_settings_schema_source_get_default", calls->schemaSourceGetDefault) &&
      resolve(library, "g_settings_schema_source_lookup", calls->schemaSourceLookup) &&
      resolve(library, "g_settings_schema_unref", calls->schemaUnref) &&
      resolve(library, "g_settings_schema_has_key", calls->schemaHasKey) &&
      resolve(library, "g_settings_schema_get_key", calls->schemaGetKey) &&
      resolve(library, "g_settings_schema_key_get_value_type", calls->schemaKeyGetValueType) &&
      resolve(library, "g_settings_schema_key_unref", calls->schemaKeyUnref) &&
      resolve(library, "g_settings_new_full", calls->settingsNewFull) &&
      resolve(library, "g_settings_get_value", calls->settingsGetValue) &&
      resolve(library, "g_settings_get_string", calls->settingsGetString) &&
      resolve(library, "g_signal_connect_data", calls->signalConnectData) &&
      resolve(library, "g_signal_handler_disconnect", calls->signalHandlerDisconnect) &&
      resolve(library, "g_object_unref", calls->objectUnref);
  dlclose(library);
  if (complete) {
    calls_ = std::move(calls);
  }
  return calls_.get();
}

}  // namespace vellicor::qt
