#include "platform/qt/sources/xkb/xkb_registry.h"

#include <xkbcommon/xkbregistry.h>

#include <cstdarg>
#include <memory>
#include <string_view>

namespace vellicor::qt {
namespace {

// The longest description taken: the registry's files are the system's and the
// user's, and no layout's name comes near it.
constexpr std::size_t kMaxDescription = 256;

struct ContextUnref {
  void operator()(rxkb_context* context) const { rxkb_context_unref(context); }
};

// The registry reports what it cannot parse on standard error by default; a
// file it skips only leaves its layouts unnamed here.
void quiet(rxkb_context*, rxkb_log_level, const char*, va_list) {}

std::string_view text(const char* s) {
  return s != nullptr ? std::string_view(s) : std::string_view();
}

}  // namespace

std::map<std::string, std::string> xkbLayoutDescriptions(
    const std::vector<XkbLayoutName>& layouts) {
  std::map<std::string, std::string> found;
  if (layouts.empty()) {
    return found;
  }
  const std::unique_ptr<rxkb_context, ContextUnref> context(
      rxkb_context_new(RXKB_CONTEXT_LOAD_EXOTIC_RULES));
  if (!context) {
    return found;
  }
  rxkb_context_set_log_fn(context.get(), quiet);
  if (!rxkb_context_parse_default_ruleset(context.get())) {
    return found;
  }
  for (rxkb_layout* layout = rxkb_layout_first(context.get()); layout != nullptr;
       layout = rxkb_layout_next(layout)) {
    const std::string_view name = text(rxkb_layout_get_name(layout));
    const std::string_view variant = text(rxkb_layout_get_variant(layout));
    const std::string_view description = text(rxkb_layout_get_description(layout));
    if (description.empty() || description.size() > kMaxDescription) {
      continue;
    }
    for (const XkbLayoutName& wanted : layouts) {
      if (wanted.layout == name && wanted.variant == variant) {
        found.emplace(xkbIdentifier(wanted), std::string(description));
      }
    }
  }
  return found;
}

}  // namespace vellicor::qt
