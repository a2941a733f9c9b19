#pragma once

#include <cstdlib>
#include <string_view>

struct xcb_connection_t;
class QByteArray;

namespace vellicor::qt {

// Qt's own connection to the X server; null when not running on X11.
xcb_connection_t* qtConnection();

// The screen DISPLAY names (":0.1" screen 1; 0 when it names none): the one
// Qt opened the display for, since the program sets DISPLAY to the display
// it was given (-display) before Qt starts.
int defaultScreen();

// The default screen's root window (the first screen's when the display has
// no such screen), or 0.
unsigned rootWindow(xcb_connection_t* c);

// The atom of `name`, or 0 when the server cannot tell.
unsigned internAtom(xcb_connection_t* c, std::string_view name, bool onlyIfExists = false);

// The atom of a per-screen manager selection for the default screen, such as
// _NET_WM_CM_S0 for `prefix` "_NET_WM_CM_S" on ":0" or ":0.0".
unsigned screenSelection(xcb_connection_t* c, std::string_view prefix);

// Adds `mask` to the events this connection selects on `window`, keeping the
// bits already selected (Qt's own among them).
void addEventMask(xcb_connection_t* c, unsigned window, unsigned mask);

// The response type of what a native event filter was given, when the X
// server itself generated it; 0 (an error's) for an event that a client sent
// with SendEvent, and for anything that is not an xcb event. Any client on the
// display may send any event to the program's windows, or to the root window
// for everyone who listens there, and the server passes it on as given, marked
// only by the sent-by-a-client bit: a sent XKB state, selection owner or
// property notification says nothing about the keyboard, the selection or the
// property, so the filters act on the server's own events alone.
unsigned serverEventType(const QByteArray& eventType, const void* message);

// An xcb reply, freed with its owner.
template <class T>
class Reply {
 public:
  explicit Reply(T* reply) : reply_(reply) {}
  ~Reply() { std::free(reply_); }
  Reply(const Reply&) = delete;
  Reply& operator=(const Reply&) = delete;
  T* get() const { return reply_; }
  T* operator->() const { return reply_; }
  explicit operator bool() const { return reply_ != nullptr; }

 private:
  T* reply_;
};

}  // namespace vellicor::qt
