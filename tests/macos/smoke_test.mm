// A smoke test of Vellicor.app on a real Mac, as a user sees it:
//
//   vellicor_smoke APP OUT_DIR
//
// Enables the ABC and 2-Set Korean input sources, starts APP's executable with
// its standard error in OUT_DIR/vellicor.log, switches input source three
// times and checks after each switch: one new change line in the log; a window
// of the app at the status-window level, 90 points high, centred on the screen
// under the pointer, gone again about 1.2 s later; and the status item's title
// and its accessibility label, which names the new source (both read through
// Accessibility, when this process may). A screenshot of each
// step goes to OUT_DIR. Prints one line per check and "N passed, N failed";
// exits 0 when none failed.

#import <AppKit/AppKit.h>
#import <ApplicationServices/ApplicationServices.h>
#import <Carbon/Carbon.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::duration;

constexpr CGFloat kPanelHeight = 90.0;
constexpr double kHideAfter = 1.2;

int passed = 0;
int failed = 0;

void check(bool ok, const std::string& what, const std::string& why = "") {
  (ok ? passed : failed) += 1;
  std::printf("%s  %s%s%s\n", ok ? "ok  " : "FAIL", what.c_str(), ok || why.empty() ? "" : ": ",
              ok ? "" : why.c_str());
  std::fflush(stdout);
}

std::string utf8(NSString* s) {
  return s != nil ? std::string([s UTF8String]) : std::string();
}

// The input source with this identifier, installed or enabled, or null.
TISInputSourceRef copySource(NSString* identifier) {
  NSDictionary* filter = @{(__bridge NSString*)kTISPropertyInputSourceID : identifier};
  CFArrayRef list = TISCreateInputSourceList((__bridge CFDictionaryRef)filter, true);
  if (list == nullptr) {
    return nullptr;
  }
  TISInputSourceRef found = nullptr;
  if (CFArrayGetCount(list) > 0) {
    found = (TISInputSourceRef)CFRetain(CFArrayGetValueAtIndex(list, 0));
  }
  CFRelease(list);
  return found;
}

// Runs the main run loop until `done` or `seconds` pass; whether `done`.
template <class Done>
bool waitFor(double seconds, Done done) {
  const auto until = Clock::now() + duration<double>(seconds);
  while (Clock::now() < until) {
    if (done()) {
      return true;
    }
    [[NSRunLoop mainRunLoop] runUntilDate:[NSDate dateWithTimeIntervalSinceNow:0.02]];
  }
  return done();
}

int changeLines(NSString* logPath) {
  NSString* log = [NSString stringWithContentsOfFile:logPath
                                            encoding:NSUTF8StringEncoding
                                               error:nil];
  return log != nil
             ? static_cast<int>([[log componentsSeparatedByString:@"입력 언어 변경: "] count]) - 1
             : 0;
}

// The app's window at the status-window level that is as high as the panel.
std::optional<CGRect> panelOf(pid_t pid) {
  CFArrayRef windows = CGWindowListCopyWindowInfo(kCGWindowListOptionOnScreenOnly, kCGNullWindowID);
  std::optional<CGRect> found;
  for (NSDictionary* w in (__bridge NSArray*)windows) {
    CGRect bounds;
    if ([w[(__bridge NSString*)kCGWindowOwnerPID] intValue] == pid &&
        [w[(__bridge NSString*)kCGWindowLayer] intValue] == kCGStatusWindowLevel &&
        CGRectMakeWithDictionaryRepresentation(
            (__bridge CFDictionaryRef)w[(__bridge NSString*)kCGWindowBounds], &bounds) &&
        bounds.size.height == kPanelHeight) {
      found = bounds;
    }
  }
  if (windows != nullptr) {
    CFRelease(windows);
  }
  return found;
}

// The display under the pointer, in the same top-left space as window bounds.
CGRect displayUnderPointer() {
  CGEventRef event = CGEventCreate(nullptr);
  const CGPoint pointer = CGEventGetLocation(event);
  CFRelease(event);
  CGDirectDisplayID display = CGMainDisplayID();
  uint32_t count = 0;
  CGGetDisplaysWithPoint(pointer, 1, &display, &count);
  return CGDisplayBounds(display);
}

// An attribute of the status item (its title, its description: the
// accessibility label VoiceOver reads), read through Accessibility, or none
// without leave.
std::optional<std::string> statusItemAttribute(pid_t pid, CFStringRef attribute) {
  if (!AXIsProcessTrusted()) {
    return std::nullopt;
  }
  AXUIElementRef app = AXUIElementCreateApplication(pid);
  CFTypeRef bar = nullptr;
  std::optional<std::string> found;
  if (AXUIElementCopyAttributeValue(app, kAXExtrasMenuBarAttribute, &bar) == kAXErrorSuccess) {
    CFTypeRef children = nullptr;
    if (AXUIElementCopyAttributeValue((AXUIElementRef)bar, kAXChildrenAttribute, &children) ==
        kAXErrorSuccess) {
      for (id item in (__bridge NSArray*)children) {
        CFTypeRef value = nullptr;
        if (AXUIElementCopyAttributeValue((__bridge AXUIElementRef)item, attribute, &value) ==
            kAXErrorSuccess) {
          found = utf8((__bridge NSString*)value);
          CFRelease(value);
          break;
        }
      }
      CFRelease(children);
    }
    CFRelease(bar);
  }
  CFRelease(app);
  return found.has_value() ? found : std::optional<std::string>("");
}

// The name the last change line of the log switched to.
std::string lastNewName(NSString* logPath) {
  NSString* log = [NSString stringWithContentsOfFile:logPath
                                            encoding:NSUTF8StringEncoding
                                               error:nil];
  NSRange arrow = [log rangeOfString:@" → " options:NSBackwardsSearch];
  if (log == nil || arrow.location == NSNotFound) {
    return {};
  }
  NSString* rest = [log substringFromIndex:NSMaxRange(arrow)];
  NSRange end = [rest rangeOfString:@"\n"];
  return utf8(end.location == NSNotFound ? rest : [rest substringToIndex:end.location]);
}

void screenshot(NSString* outDir, NSString* name) {
  NSTask* task = [[NSTask alloc] init];
  task.executableURL = [NSURL fileURLWithPath:@"/usr/sbin/screencapture"];
  task.arguments = @[ @"-x", [outDir stringByAppendingPathComponent:name] ];
  if ([task launchAndReturnError:nil]) {
    [task waitUntilExit];
  }
}

struct Step {
  NSString* source;
  std::string badge;
};

}  // namespace

int main(int argc, const char* argv[]) {
  @autoreleasepool {
    if (argc != 3) {
      std::fprintf(stderr, "usage: %s APP OUT_DIR\n", argv[0]);
      return 2;
    }
    [NSApplication sharedApplication];
    NSString* app = [NSString stringWithUTF8String:argv[1]];
    NSString* outDir = [NSString stringWithUTF8String:argv[2]];
    [[NSFileManager defaultManager] createDirectoryAtPath:outDir
                              withIntermediateDirectories:YES
                                               attributes:nil
                                                    error:nil];
    NSString* logPath = [outDir stringByAppendingPathComponent:@"vellicor.log"];

    NSString* const abc = @"com.apple.keylayout.ABC";
    NSString* const korean = @"com.apple.inputmethod.Korean.2SetKorean";
    for (NSString* identifier in @[ abc, korean ]) {
      TISInputSourceRef source = copySource(identifier);
      check(source != nullptr && TISEnableInputSource(source) == noErr,
            "input source " + utf8(identifier) + " enabled", "not installed or not enabled");
      if (source != nullptr) {
        CFRelease(source);
      }
    }
    if (TISInputSourceRef first = copySource(abc)) {
      TISSelectInputSource(first);
      CFRelease(first);
    }

    [[NSFileManager defaultManager] createFileAtPath:logPath contents:nil attributes:nil];
    NSTask* vellicor = [[NSTask alloc] init];
    vellicor.executableURL =
        [NSURL fileURLWithPath:[app stringByAppendingPathComponent:@"Contents/MacOS/Vellicor"]];
    vellicor.standardError = [NSFileHandle fileHandleForWritingAtPath:logPath];
    NSError* error = nil;
    if (![vellicor launchAndReturnError:&error]) {
      check(false, "Vellicor starts", utf8([error localizedDescription]));
      std::printf("%d passed, %d failed\n", passed, failed);
      return 1;
    }
    const pid_t pid = vellicor.processIdentifier;
    check(waitFor(10,
                  [&] {
                    NSString* log = [NSString stringWithContentsOfFile:logPath
                                                              encoding:NSUTF8StringEncoding
                                                                 error:nil];
                    return [log length] > 0;
                  }),
          "Vellicor writes its start-up line", "nothing in the log after 10 s");
    waitFor(1, [] { return false; });
    screenshot(outDir, @"0-started.png");

    const Step steps[] = {{korean, "한"}, {abc, "A"}, {korean, "한"}};
    int step = 0;
    for (const Step& s : steps) {
      ++step;
      const std::string name = "switch " + std::to_string(step) + " to " + utf8(s.source);
      const int before = changeLines(logPath);
      TISInputSourceRef source = copySource(s.source);
      if (source == nullptr) {
        check(false, name, "no such input source");
        continue;
      }
      TISSelectInputSource(source);
      CFRelease(source);
      const bool logged = waitFor(3, [&] { return changeLines(logPath) > before; });
      const auto shownAt = Clock::now();
      std::optional<CGRect> panel;
      waitFor(1, [&] { return (panel = panelOf(pid)).has_value(); });
      screenshot(outDir, [NSString stringWithFormat:@"%d-switched.png", step]);
      check(logged && changeLines(logPath) == before + 1, name + ": one change line",
            std::to_string(changeLines(logPath) - before) + " new lines");
      const CGRect display = displayUnderPointer();
      check(panel.has_value() &&
                CGRectContainsPoint(display,
                                    CGPointMake(CGRectGetMidX(*panel), CGRectGetMidY(*panel))) &&
                std::abs(CGRectGetMidX(*panel) - CGRectGetMidX(display)) <= 1 &&
                std::abs(CGRectGetMidY(*panel) - CGRectGetMidY(display)) <= 1,
            name + ": a 90 pt panel at the status-window level, centred on the screen under "
                   "the pointer",
            panel ? "it is elsewhere" : "no such window");
      const auto title = statusItemAttribute(pid, kAXTitleAttribute);
      const auto label = statusItemAttribute(pid, kAXDescriptionAttribute);
      if (title.has_value() && label.has_value()) {
        check(*title == s.badge, name + ": the status item reads " + s.badge,
              "it reads '" + *title + "'");
        // VoiceOver reads the button by its label, which names the source.
        const std::string expected = "현재 언어: " + lastNewName(logPath);
        check(*label == expected, name + ": the status item is labelled '" + expected + "'",
              "it is labelled '" + *label + "'");
      } else {
        std::printf("note  %s: the status item's title and label need Accessibility permission, "
                    "not read\n",
                    name.c_str());
      }
      const bool gone = waitFor(3, [&] { return !panelOf(pid).has_value(); });
      const double after = duration<double>(Clock::now() - shownAt).count();
      screenshot(outDir, [NSString stringWithFormat:@"%d-hidden.png", step]);
      check(gone && after > kHideAfter - 0.6 && after < kHideAfter + 1.3,
            name + ": the panel is gone about 1.2 s later",
            gone ? "after " + std::to_string(after) + " s" : "still there after 3 s");
    }

    [vellicor terminate];
    [vellicor waitUntilExit];
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
  }
}
