#include "platform/qt/sources/sway/sway_ipc.h"

#include <cstring>

namespace vellicor::qt {
namespace {

constexpr std::string_view kMagic = "i3-ipc";
constexpr std::size_t kHeader = 14;  // magic, length, type
// sway's answers about inputs and outputs are a few kilobytes.
constexpr std::uint32_t kMaxPayload = 4u << 20;

std::uint32_t numberAt(std::string_view bytes, std::size_t offset) {
  std::uint32_t n = 0;
  std::memcpy(&n, bytes.data() + offset, sizeof n);
  return n;
}

}  // namespace

std::string swayMessage(std::uint32_t type, std::string_view payload) {
  std::string out(kMagic);
  const auto length = static_cast<std::uint32_t>(payload.size());
  out.append(reinterpret_cast<const char*>(&length), sizeof length);
  out.append(reinterpret_cast<const char*>(&type), sizeof type);
  out.append(payload);
  return out;
}

bool SwayReader::feed(std::string_view bytes) {
  if (!broken_) {
    buffer_.append(bytes);
  }
  return !broken_;
}

std::optional<SwayReader::Message> SwayReader::next() {
  if (broken_ || buffer_.size() < kHeader) {
    return std::nullopt;
  }
  const std::string_view header(buffer_.data(), kHeader);
  const std::uint32_t length = numberAt(header, kMagic.size());
  if (header.substr(0, kMagic.size()) != kMagic || length > kMaxPayload) {
    broken_ = true;
    buffer_.clear();
    return std::nullopt;
  }
  if (buffer_.size() < kHeader + length) {
    return std::nullopt;
  }
  Message message{numberAt(header, kMagic.size() + 4), buffer_.substr(kHeader, length)};
  buffer_.erase(0, kHeader + length);
  return message;
}

}  // namespace vellicor::qt
