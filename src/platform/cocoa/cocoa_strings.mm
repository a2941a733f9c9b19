#include "platform/cocoa/cocoa_strings.h"

#include <vector>

#include "platform/cocoa/cocoa_utf16.h"
#include "platform/common/utf8.h"

namespace vellicor::cocoa {

NSString* toNSString(std::string_view text) {
  const std::string valid = repairedUtf8(text);
  NSString* string = [[NSString alloc] initWithBytes:valid.data()
                                              length:valid.size()
                                            encoding:NSUTF8StringEncoding];
  return string != nil ? string : @"";
}

std::string fromNSString(NSString* text) {
  if (text == nil) {
    return {};
  }
  std::vector<unichar> units(static_cast<size_t>([text length]));
  [text getCharacters:units.data() range:NSMakeRange(0, units.size())];
  return utf8FromUtf16(units);
}

}  // namespace vellicor::cocoa
