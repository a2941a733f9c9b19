#include "platform/cocoa/cocoa_log.h"

#import <Foundation/Foundation.h>

#include "platform/cocoa/cocoa_strings.h"

namespace vellicor::cocoa {

void CocoaLog::writeLine(std::string_view line) {
  NSLog(@"%@", toNSString(line));
}

}  // namespace vellicor::cocoa
