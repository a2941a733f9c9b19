#include "platform/qt/sources/kwin/kwin_answers.h"

#include <charconv>

namespace vellicor::qt {
namespace {

constexpr std::size_t kMaxLayouts = 256;
constexpr std::size_t kMaxText = 1u << 20;
constexpr std::size_t kMaxOutputs = 64;
// Places and sizes past these are no screen's.
constexpr long kMaxPlace = 1L << 20;
constexpr long kMaxSize = 1L << 16;

std::string text(const DBusValue* value) {
  return value != nullptr && value->kind == DBusValue::Kind::Text ? value->text : std::string();
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

// A whole decimal number up to the next `end` (or the text's end), within
// +-`limit`; moves `s` past it and its `end`.
std::optional<long> number(std::string_view& s, char end, long limit) {
  const std::size_t stop = end == '\0' ? s.size() : s.find(end);
  if (stop == std::string_view::npos || stop == 0) {
    return std::nullopt;
  }
  long n = 0;
  const char* first = s.data();
  const char* last = s.data() + stop;
  const auto [at, error] = std::from_chars(first, last, n);
  if (error != std::errc() || at != last || n > limit || n < -limit) {
    return std::nullopt;
  }
  s.remove_prefix(stop == s.size() ? stop : stop + 1);
  return n;
}

// "x,y,WxH", as KWin writes an output's geometry.
std::optional<OutputRect> geometry(std::string_view s) {
  const auto x = number(s, ',', kMaxPlace);
  const auto y = x ? number(s, ',', kMaxPlace) : std::nullopt;
  const auto width = y ? number(s, 'x', kMaxSize) : std::nullopt;
  const auto height = width ? number(s, '\0', kMaxSize) : std::nullopt;
  if (!height || *width <= 0 || *height <= 0) {
    return std::nullopt;
  }
  return OutputRect{static_cast<int>(*x), static_cast<int>(*y), static_cast<int>(*width),
                    static_cast<int>(*height)};
}

}  // namespace

std::vector<KWinLayout> kwinLayouts(const DBusValue& list) {
  std::vector<KWinLayout> out;
  if (list.kind != DBusValue::Kind::Array) {
    return out;
  }
  for (const DBusValue& entry : list.items) {
    if (out.size() == kMaxLayouts) {
      break;
    }
    out.push_back({text(entry.item(0)), text(entry.item(1)), text(entry.item(2))});
  }
  return out;
}

std::optional<std::uint32_t> kwinLayoutIndex(const DBusValue& value) {
  if (value.kind != DBusValue::Kind::Unsigned || value.unsignedValue > UINT32_MAX) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(value.unsignedValue);
}

std::optional<NamedSource> kwinLayoutSource(const std::vector<KWinLayout>& layouts,
                                            std::uint32_t index) {
  if (index >= layouts.size()) {
    return std::nullopt;
  }
  const KWinLayout& layout = layouts[index];
  NamedSource source;
  if (!layout.longName.empty()) {
    source.localizedName = layout.longName;
  } else if (!layout.displayName.empty()) {
    source.localizedName = layout.displayName;
  }
  if (!layout.shortName.empty()) {
    source.identifier = layout.shortName;
  }
  if (!source.localizedName && !source.identifier) {
    return std::nullopt;
  }
  return source;
}

std::map<std::string, OutputRect> kwinOutputs(std::string_view supportInformation) {
  std::string_view rest = supportInformation.substr(0, kMaxText);
  std::map<std::string, OutputRect> out;
  bool inScreens = false;
  std::optional<std::string> name;
  while (!rest.empty() && out.size() < kMaxOutputs) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = trimmed(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!inScreens) {
      inScreens = line == "Screens";
      continue;
    }
    if (line == "Compositing") {
      break;
    }
    if (line.substr(0, 6) == "Name: ") {
      name = std::string(trimmed(line.substr(6)));
    } else if (line.substr(0, 10) == "Geometry: " && name && !name->empty()) {
      if (const auto rect = geometry(trimmed(line.substr(10)))) {
        out[*name] = *rect;
      }
      name.reset();
    }
  }
  return out;
}

}  // namespace vellicor::qt
