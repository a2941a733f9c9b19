#pragma once

#include <memory>

namespace vellicor::qt {

struct GioCalls;

// GIO, loaded the first time its settings calls are asked for: only GNOME's
// sessions and ibus-hangul's settings read GSettings, and a library loaded
// with the program would cost every start. Once loaded it stays for the run:
// GObject types it registers cannot be unloaded.
class GioLibrary {
 public:
  GioLibrary();
  ~GioLibrary();
  GioLibrary(const GioLibrary&) = delete;
  GioLibrary& operator=(const GioLibrary&) = delete;

  // None when GIO cannot be loaded or lacks a call; tried once.
  const GioCalls* calls();

 private:
  bool tried_ = false;
  std::unique_ptr<GioCalls> calls_;
};

}  // namespace vellicor::qt
