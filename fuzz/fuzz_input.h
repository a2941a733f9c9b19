#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vellicor::fuzz {

// Takes typed values and strings off the front of a fuzzer's input; what is
// left when a request runs past the end reads as zero bytes.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

  uint8_t byte() {
    if (rest_.empty()) {
      return 0;
    }
    const auto b = static_cast<uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return b;
  }
  template <typename T>
  T value() {
    char bytes[sizeof(T)] = {};
    const size_t n = rest_.size() < sizeof bytes ? rest_.size() : sizeof bytes;
    std::memcpy(bytes, rest_.data(), n);
    rest_.remove_prefix(n);
    T v;
    std::memcpy(&v, bytes, sizeof v);
    return v;
  }
  double number() { return value<double>(); }
  // A string whose length is the next byte, at most what is left.
  std::string text() {
    const size_t n = byte();
    const auto part = rest_.substr(0, n);
    rest_.remove_prefix(part.size());
    return std::string(part);
  }
  std::string remaining() {
    std::string all(rest_);
    rest_ = {};
    return all;
  }

 private:
  std::string_view rest_;
};

}  // namespace vellicor::fuzz
