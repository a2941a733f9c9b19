#include "platform/qt/sources/fcitx5/fcitx5_senders.h"

namespace vellicor::qt {

Fcitx5Senders::Verdict Fcitx5Senders::verdict(const std::string& sender) {
  if (const auto found = known_.find(sender); found != known_.end()) {
    return found->second ? Verdict::Fcitx5 : Verdict::Other;
  }
  if (asking_.count(sender) != 0) {
    return Verdict::Asking;
  }
  if (asking_.size() >= mostAsked_) {
    return Verdict::TooMany;
  }
  asking_.insert(sender);
  return Verdict::Ask;
}

void Fcitx5Senders::answered(const std::string& sender, bool fcitx5) {
  if (asking_.erase(sender) == 0) {
    return;  // asked before a clear
  }
  if (known_.size() >= mostKnown_) {
    // Full: the others' items are forgotten, and asked about again if they
    // speak again.
    for (auto it = known_.begin(); it != known_.end();) {
      it = it->second ? std::next(it) : known_.erase(it);
    }
    if (known_.size() >= mostKnown_) {
      known_.clear();
    }
  }
  known_[sender] = fcitx5;
}

void Fcitx5Senders::clear() {
  known_.clear();
  asking_.clear();
}

}  // namespace vellicor::qt
