#include "platform/qt/sources/dbus/dbus_address.h"

#include <vector>

namespace vellicor::qt {
namespace {

// Longer than any socket path (sun_path holds 108 bytes): refused whole.
constexpr std::size_t kMaxAddress = 4096;

int hexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// A value with its %XX escapes decoded; none when an escape is broken or
// decodes to a NUL byte.
std::optional<std::string> unescaped(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '%') {
      out += value[i];
      continue;
    }
    if (i + 2 >= value.size()) {
      return std::nullopt;
    }
    const int high = hexDigit(value[i + 1]);
    const int low = hexDigit(value[i + 2]);
    if (high < 0 || low < 0 || (high == 0 && low == 0)) {
      return std::nullopt;
    }
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  while (true) {
    const auto at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) {
      return parts;
    }
    text.remove_prefix(at + 1);
  }
}

std::optional<UnixSocketAddress> entrySocket(std::string_view entry) {
  constexpr std::string_view kUnix = "unix:";
  if (entry.substr(0, kUnix.size()) != kUnix) {
    return std::nullopt;
  }
  std::optional<UnixSocketAddress> socket;
  for (const std::string_view pair : split(entry.substr(kUnix.size()), ',')) {
    const auto equals = pair.find('=');
    if (equals == std::string_view::npos) {
      return std::nullopt;
    }
    const std::string_view key = pair.substr(0, equals);
    const auto value = unescaped(pair.substr(equals + 1));
    if (!value || value->empty()) {
      return std::nullopt;
    }
    if (key == "path" || key == "abstract") {
      if (socket) {
        return std::nullopt;  // one socket per entry
      }
      socket = UnixSocketAddress{key == "abstract", *value};
    } else if (key != "guid") {
      return std::nullopt;
    }
  }
  return socket;
}

bool optionallyEscaped(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
         c == '_' || c == '/' || c == '.' || c == '\\' || c == '*';
}

}  // namespace

std::string escapedAddressValue(std::string_view value) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(value.size());
  for (const char c : value) {
    if (optionallyEscaped(c)) {
      out += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

std::string socketPathAddress(std::string_view path) {
  return "unix:path=" + escapedAddressValue(path);
}

std::optional<UnixSocketAddress> localSocketAddress(std::string_view address) {
  if (address.empty() || address.size() > kMaxAddress) {
    return std::nullopt;
  }
  std::optional<UnixSocketAddress> first;
  for (const std::string_view entry : split(address, ';')) {
    if (entry.empty()) {
      continue;  // a trailing separator
    }
    auto socket = entrySocket(entry);
    if (!socket) {
      return std::nullopt;
    }
    if (!first) {
      first = std::move(socket);
    }
  }
  return first;
}

}  // namespace vellicor::qt
