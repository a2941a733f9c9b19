// Any bytes through every text service: no crash, no hang, and the results keep
// the promises the rest of the program builds on.
#include <cstdlib>

#include "fuzz_input.h"
#include "platform/icu/icu_text.h"

namespace {

void check(bool ok) {
  if (!ok) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const vellicor::IcuTextServices text;
  vellicor::fuzz::FuzzInput in(data, size);
  const std::string needle = in.text();
  const std::string hay = in.remaining();

  const std::string valid = text.validUTF8(hay);
  check(text.validUTF8(valid) == valid);
  check(text.canonicallyEqual(hay, hay));
  check(text.canonicallyEqual(hay, valid));
  check(text.canonicallyEqual(hay, needle) == text.canonicallyEqual(needle, hay));
  check(text.contains(hay, needle) == text.contains(valid, text.validUTF8(needle)));
  if (!needle.empty() && text.canonicallyEqual(hay, needle)) {
    check(text.contains(hay, needle));
  }

  const std::string first = text.firstCharacter(hay);
  check(first.empty() == hay.empty());
  check(valid.compare(0, first.size(), first) == 0);

  const std::string trimmed = text.trimmingWhitespaceAndNewlines(hay);
  check(valid.find(trimmed) != std::string::npos);
  check(text.trimmingWhitespaceAndNewlines(trimmed) == trimmed);

  for (const std::string& mapped : {text.lowercased(hay), text.uppercased(hay)}) {
    check(text.validUTF8(mapped) == mapped);
  }
  return 0;
}
