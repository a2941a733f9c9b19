#include "platform/cocoa/cocoa_strings.h"

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
  NSData* data = [text dataUsingEncoding:NSUTF8StringEncoding allowLossyConversion:YES];
  return std::string(static_cast<const char*>([data bytes]), static_cast<size_t>([data length]));
}

}  // namespace vellicor::cocoa
