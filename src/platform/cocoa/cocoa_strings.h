#pragma once

// Objective-C++ only: conversions between UTF-8 std::string and NSString.
#import <Foundation/Foundation.h>

#include <string>
#include <string_view>

namespace vellicor::cocoa {

// Ill-formed bytes, and unpaired surrogates, are read as U+FFFD, never as a nil
// or empty string.
NSString* toNSString(std::string_view text);
std::string fromNSString(NSString* text);

}  // namespace vellicor::cocoa
