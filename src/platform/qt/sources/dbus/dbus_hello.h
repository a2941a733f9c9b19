#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vellicor::qt {

// The first call every client of a bus makes once it is authenticated:
// org.freedesktop.DBus.Hello, serial 1, in the little-endian wire format.
std::string dbusHelloMessage();

// What the bytes a bus sent after the Hello say about it.
enum class HelloAnswer {
  Incomplete,  // no reply yet: more bytes are needed
  Answered,    // a reply or an error came back: the bus serves its clients
  Broken,      // not D-Bus messages, or larger than a bus would send there
};
// Reads the messages in `bytes` from the start; signals before the reply are
// skipped. Nothing beyond `limit` bytes is taken for an answer.
HelloAnswer dbusHelloAnswer(std::string_view bytes, std::size_t limit = 64 * 1024);

}  // namespace vellicor::qt
