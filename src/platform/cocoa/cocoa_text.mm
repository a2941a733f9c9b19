#include "platform/cocoa/cocoa_text.h"

#import <Foundation/Foundation.h>

#include "platform/cocoa/cocoa_strings.h"
#include "platform/common/utf8.h"

namespace vellicor::cocoa {

std::string CocoaTextServices::validUTF8(std::string_view text) const {
  return repairedUtf8(text);
}

bool CocoaTextServices::canonicallyEqual(std::string_view a, std::string_view b) const {
  if (a == b) {
    return true;
  }
  // Without NSLiteralSearch, compare: treats canonically equivalent sequences as equal.
  return [toNSString(a) compare:toNSString(b) options:0] == NSOrderedSame;
}

bool CocoaTextServices::contains(std::string_view haystack, std::string_view needle) const {
  if (needle.empty()) {
    return false;
  }
  // A non-literal search matches whole composed character sequences only.
  return [toNSString(haystack) rangeOfString:toNSString(needle) options:0].location != NSNotFound;
}

std::string CocoaTextServices::lowercased(std::string_view text) const {
  return fromNSString([toNSString(text) lowercaseStringWithLocale:nil]);
}

std::string CocoaTextServices::uppercased(std::string_view text) const {
  return fromNSString([toNSString(text) uppercaseStringWithLocale:nil]);
}

std::string CocoaTextServices::trimmingWhitespaceAndNewlines(std::string_view text) const {
  return fromNSString([toNSString(text)
      stringByTrimmingCharactersInSet:[NSCharacterSet whitespaceAndNewlineCharacterSet]]);
}

std::string CocoaTextServices::firstCharacter(std::string_view text) const {
  NSString* string = toNSString(text);
  if ([string length] == 0) {
    return {};
  }
  return fromNSString(
      [string substringWithRange:[string rangeOfComposedCharacterSequenceAtIndex:0]]);
}

}  // namespace vellicor::cocoa
