#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/qt/sources/gnome/gnome_sources.h"

namespace vellicor::qt {

// The descriptions XKB's registry of layouts (libxkbregistry: the rules'
// evdev.xml and its extras, and the user's own additions) gives the layouts
// asked for, by their identifier ("kr(kr104)" -> "Korean (101/104-key
// compatible)", "us" -> "English (US)"): the names the keyboard's groups carry
// and the desktop shows. A layout the registry does not list is left out; an
// empty map when the registry cannot be read. Each call reads the registry
// anew (some milliseconds), so ask for all the layouts wanted at once.
std::map<std::string, std::string> xkbLayoutDescriptions(const std::vector<XkbLayoutName>& layouts);

}  // namespace vellicor::qt
