#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/qt/sources/source_tracker.h"

namespace vellicor::qt {

// What one tracker says at a moment.
struct TrackerReading {
  std::optional<NamedSource> source;  // none while its framework names nothing
  bool yieldsToSession = false;       // only a layout, which the session's tracker names better
};

// What the trackers say at a moment, theirs in order of precedence.
struct SelectionInput {
  std::vector<TrackerReading> trackers;
  bool sessionSpeaks = false;  // the session's own tracker names a source
  bool betweenSteps = false;   // the session and IBus are between the two steps of one switch
};

// Which tracker names the source, over time: the first in precedence that
// names one (passing over those that yield to the session while it speaks).
// A framework that lets go of the keyboard (it quits or restarts), so that
// one further down would take over, keeps naming its last source for a
// grace: back within it, naming the same, it changed nothing; away after
// it, the next one speaks. One that switched to a plain layout it yields to
// the session let go of nothing. While the session and IBus are between the
// steps of one switch, the source stays as it was, for a while at most.
// Time is the caller's, in milliseconds on a monotonic clock.
class SourceSelection {
 public:
  using Millis = std::int64_t;
  explicit SourceSelection(Millis graceMs = 3000, Millis betweenStepsMs = 1000)
      : graceMs_(graceMs), betweenStepsMs_(betweenStepsMs) {}

  // The source at `now`: no source (both names absent) when no tracker names one.
  NamedSource select(const SelectionInput& input, Millis now);
  // When to select again although no tracker changes: the end of a grace or
  // of a wait between steps. None while neither runs.
  std::optional<Millis> deadline() const;

 private:
  Millis graceMs_;
  Millis betweenStepsMs_;
  std::optional<std::size_t> selectedBy_;  // the tracker that named the source last
  NamedSource selected_;
  std::optional<Millis> holdingUntil_;
  std::optional<Millis> stepsUntil_;
  bool waitedForSteps_ = false;
};

}  // namespace vellicor::qt
