#include "platform/qt/sources/source_selection.h"

#include <algorithm>

namespace vellicor::qt {

NamedSource SourceSelection::select(const SelectionInput& input, Millis now) {
  const std::size_t count = input.trackers.size();
  if (holdingUntil_ && now >= *holdingUntil_) {
    holdingUntil_.reset();
    selectedBy_.reset();  // the held framework is gone: whoever names one speaks
  }
  if (selectedBy_ && *selectedBy_ >= count) {
    selectedBy_.reset();
  }
  // Half a switch names what is neither the old source nor the new one.
  if (!input.betweenSteps) {
    stepsUntil_.reset();
    waitedForSteps_ = false;
  } else if (!waitedForSteps_ && selectedBy_) {
    if (stepsUntil_ && now >= *stepsUntil_) {
      stepsUntil_.reset();
      waitedForSteps_ = true;
    } else {
      if (!stepsUntil_) {
        stepsUntil_ = now + betweenStepsMs_;
      }
      return selected_;
    }
  }
  std::size_t by = 0;
  std::optional<NamedSource> source;
  for (; by < count; ++by) {
    const TrackerReading& reading = input.trackers[by];
    if (input.sessionSpeaks && reading.yieldsToSession) {
      continue;
    }
    if ((source = reading.source)) {
      break;
    }
  }
  // The framework that named the source lets go, and one further down would
  // take over: it is held instead. One that went to a plain layout, which it
  // leaves to the session, let go of nothing.
  const bool yielded =
      selectedBy_ && input.sessionSpeaks && input.trackers[*selectedBy_].yieldsToSession;
  if (!holdingUntil_ && !yielded && selectedBy_ && *selectedBy_ < by && *selectedBy_ + 1 < count) {
    holdingUntil_ = now + graceMs_;
  }
  if (holdingUntil_ && selectedBy_ && by <= *selectedBy_) {
    holdingUntil_.reset();
  }
  if (!holdingUntil_) {
    selectedBy_ = by < count ? std::optional(by) : std::nullopt;
    selected_ = source.value_or(NamedSource{});
  }
  return selected_;
}

std::optional<SourceSelection::Millis> SourceSelection::deadline() const {
  if (holdingUntil_ && stepsUntil_) {
    return std::min(*holdingUntil_, *stepsUntil_);
  }
  return holdingUntil_ ? holdingUntil_ : stepsUntil_;
}

}  // namespace vellicor::qt
