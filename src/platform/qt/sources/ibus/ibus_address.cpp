#include "platform/qt/sources/ibus/ibus_address.h"

namespace vellicor::qt {
namespace {

std::string_view trimmed(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) {
    return {};
  }
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

std::optional<std::string> ibusAddressFileName(std::string_view display,
                                               std::string_view waylandDisplay,
                                               std::string_view machineId) {
  const std::string_view id = trimmed(machineId);
  if (id.empty()) {
    return std::nullopt;
  }
  if (!waylandDisplay.empty()) {
    return std::string(id) + "-unix-" + std::string(waylandDisplay);
  }
  const auto colon = display.rfind(':');
  if (colon == std::string_view::npos) {
    return std::nullopt;
  }
  const std::string_view host = display.substr(0, colon);
  std::string_view number = display.substr(colon + 1);
  number = number.substr(0, number.find('.'));
  if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  return std::string(id) + "-" + std::string(host.empty() ? "unix" : host) + "-" +
         std::string(number);
}

std::optional<std::string> ibusAddressFromFile(std::string_view content) {
  constexpr std::string_view kKey = "IBUS_ADDRESS=";
  while (!content.empty()) {
    const auto end = content.find('\n');
    const std::string_view line = trimmed(content.substr(0, end));
    if (line.substr(0, kKey.size()) == kKey && line.size() > kKey.size()) {
      return std::string(line.substr(kKey.size()));
    }
    if (end == std::string_view::npos) {
      break;
    }
    content.remove_prefix(end + 1);
  }
  return std::nullopt;
}

}  // namespace vellicor::qt
