#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellicor::qt {

// sway's IPC, the i3 protocol: each message is the magic "i3-ipc", then the
// payload's length and the message's type, 32-bit numbers in the machine's
// byte order, then the payload (JSON).
inline constexpr std::uint32_t kSwaySubscribe = 2;
inline constexpr std::uint32_t kSwayGetOutputs = 3;
inline constexpr std::uint32_t kSwayGetInputs = 100;
// Events have the high bit set.
inline constexpr std::uint32_t kSwayWorkspaceEvent = 0x80000000u;
inline constexpr std::uint32_t kSwayOutputEvent = 0x80000001u;
inline constexpr std::uint32_t kSwayInputEvent = 0x80000015u;

std::string swayMessage(std::uint32_t type, std::string_view payload);

// Splits what the socket delivers into messages, whatever the pieces it
// arrives in. A stream that is not the protocol (a wrong magic) or a payload
// over 4 MiB breaks it for good: the connection is to be dropped.
class SwayReader {
 public:
  struct Message {
    std::uint32_t type = 0;
    std::string payload;
  };

  // False once the stream is broken.
  bool feed(std::string_view bytes);
  // The next whole message, if one has arrived.
  std::optional<Message> next();
  bool broken() const { return broken_; }

 private:
  std::string buffer_;
  bool broken_ = false;
};

}  // namespace vellicor::qt
