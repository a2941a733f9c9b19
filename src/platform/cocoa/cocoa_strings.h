#pragma once

// Objective-C++ only: conversions between UTF-8 std::string and NSString.
#import <Foundation/Foundation.h>

#include <string>
#include <string_view>

namespace vellicor::cocoa {

// Ill-formed bytes are read as U+FFFD, never as a nil string.
NSString* toNSString(std::string_view text);
std::string fromNSString(NSString* text);

}  // namespace vellicor::cocoa
