#include "platform/qt/sources/gnome/gnome_sources.h"

#include <algorithm>

namespace vellicor::qt {
namespace {

bool isLayoutWord(std::string_view word) {
  return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
  });
}

}  // namespace

bool isGnomeSource(const GnomeSource& source) {
  return (source.type == "xkb" || source.type == "ibus") && !source.id.empty() &&
         source.id.size() <= kMaxGnomeSourceText;
}

std::optional<GnomeSource> currentGnomeSource(const std::vector<GnomeSource>& mru,
                                              const std::vector<GnomeSource>& sources) {
  for (const GnomeSource& used : mru) {
    if (std::find(sources.begin(), sources.end(), used) != sources.end()) {
      return used;
    }
  }
  if (sources.empty()) {
    return std::nullopt;
  }
  return sources.front();
}

std::optional<XkbLayoutName> gnomeXkbLayout(std::string_view id) {
  const auto plus = id.find('+');
  XkbLayoutName name{std::string(id.substr(0, plus)), std::string()};
  if (plus != std::string_view::npos) {
    name.variant = std::string(id.substr(plus + 1));
    if (!isLayoutWord(name.variant)) {
      return std::nullopt;
    }
  }
  if (!isLayoutWord(name.layout)) {
    return std::nullopt;
  }
  return name;
}

std::string xkbIdentifier(const XkbLayoutName& layout) {
  return layout.variant.empty() ? layout.layout : layout.layout + "(" + layout.variant + ")";
}

}  // namespace vellicor::qt
