#include "platform/qt/sources/dbus/dbus_hello.h"

#include <cstdint>

namespace vellicor::qt {
namespace {

// The numbers of D-Bus's wire format: byte order, message type, header fields.
constexpr char kLittleEndian = 'l';
constexpr char kBigEndian = 'B';
constexpr char kMethodCall = 1;
constexpr char kMethodReturn = 2;
constexpr char kError = 3;
constexpr char kSignal = 4;
constexpr char kProtocolVersion = 1;
constexpr std::size_t kFixedHeader = 16;
constexpr std::size_t kFieldsAt = 12;
constexpr std::size_t kBodyLengthAt = 4;
enum Field : char { kPath = 1, kInterface = 2, kMember = 3, kDestination = 6 };

void pad(std::string& m, std::size_t alignment) {
  while (m.size() % alignment != 0) {
    m += '\0';
  }
}

void putU32(std::string& m, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    m[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

void appendU32(std::string& m, std::uint32_t value) {
  m.append(4, '\0');
  putU32(m, m.size() - 4, value);
}

// One header field: a struct of its code and a variant of one string or path.
void appendField(std::string& m, Field code, char type, std::string_view text) {
  pad(m, 8);
  m += static_cast<char>(code);
  m += '\x01';  // the variant's signature: one type
  m += type;
  m += '\0';
  appendU32(m, static_cast<std::uint32_t>(text.size()));
  m += text;
  m += '\0';
}

std::uint32_t readU32(std::string_view bytes, std::size_t at, bool little) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[at + (little ? 3 - i : i)]);
    value = (value << 8) | byte;
  }
  return value;
}

}  // namespace

std::string dbusHelloMessage() {
  std::string m = {kLittleEndian, kMethodCall, 0, kProtocolVersion};
  appendU32(m, 0);  // no body
  appendU32(m, 1);  // serial
  appendU32(m, 0);  // the fields' length, set below
  appendField(m, kPath, 'o', "/org/freedesktop/DBus");
  appendField(m, kInterface, 's', "org.freedesktop.DBus");
  appendField(m, kMember, 's', "Hello");
  appendField(m, kDestination, 's', "org.freedesktop.DBus");
  putU32(m, kFieldsAt, static_cast<std::uint32_t>(m.size() - kFixedHeader));
  pad(m, 8);  // the body, empty, starts on 8 bytes
  return m;
}

HelloAnswer dbusHelloAnswer(std::string_view bytes, std::size_t limit) {
  std::size_t at = 0;
  while (true) {
    if (bytes.size() - at < kFixedHeader) {
      return at + kFixedHeader > limit ? HelloAnswer::Broken : HelloAnswer::Incomplete;
    }
    const char order = bytes[at];
    if ((order != kLittleEndian && order != kBigEndian) || bytes[at + 3] != kProtocolVersion) {
      return HelloAnswer::Broken;
    }
    const char type = bytes[at + 1];
    if (type == kMethodReturn || type == kError) {
      return HelloAnswer::Answered;
    }
    if (type != kSignal) {
      return HelloAnswer::Broken;  // a bus asks its new client nothing
    }
    const bool little = order == kLittleEndian;
    const std::uint64_t fields = readU32(bytes, at + kFieldsAt, little);
    const std::uint64_t body = readU32(bytes, at + kBodyLengthAt, little);
    const std::uint64_t header = (kFixedHeader + fields + 7) / 8 * 8;
    const std::uint64_t end = at + header + body;
    if (end > limit) {
      return HelloAnswer::Broken;
    }
    if (end > bytes.size()) {
      return HelloAnswer::Incomplete;
    }
    at = static_cast<std::size_t>(end);
  }
}

}  // namespace vellicor::qt
