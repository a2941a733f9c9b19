#pragma once

#include <QByteArray>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/qt/sources/session_tracker.h"
#include "platform/qt/sources/sway/sway_ipc.h"
#include "platform/qt/sources/unix_stream.h"

namespace vellicor::qt {

// sway's own layout, over its IPC socket ($SWAYSOCK): asked once, then
// followed through its input events, which come at every switch whatever
// window has the focus, from the keyboard the user types on (see
// keyboardEvent); the focused output, asked again at each workspace or
// output event, is where the panel goes. Nothing waits on sway: the socket is
// read as it delivers. A connection sway ends (or that breaks the protocol) is
// said once in the log, and sway then names nothing.
class SwayTracker final : public SessionTracker {
 public:
  // `note` writes one line to the log.
  SwayTracker(const std::string& socketPath, std::function<void()> changed,
              std::function<void(const std::string&)> note);
  ~SwayTracker() override;

  std::optional<NamedSource> current() const override { return source_; }
  bool settled() const override { return settled_; }
  std::string description() const override { return "sway's IPC"; }
  std::optional<OutputRect> activeOutput() const override { return output_; }

 private:
  void connected();
  void readable();
  void handle(const SwayReader::Message& message);
  std::optional<NamedSource> keyboardEvent(const QByteArray& payload);
  void lost(const std::string& why);
  void settle();
  void send(std::uint32_t type, std::string_view payload = {});

  std::function<void()> changed_;
  std::function<void(const std::string&)> note_;
  UnixStream socket_;
  SwayReader reader_;
  std::optional<NamedSource> source_;
  std::optional<OutputRect> output_;
  bool settled_ = false;
  bool lost_ = false;
  bool asking_ = false;        // GET_OUTPUTS sent and not answered yet
  bool askingInputs_ = false;  // GET_INPUTS likewise
  std::string keyboard_;       // the keyboard followed, by sway's identifier
};

}  // namespace vellicor::qt
