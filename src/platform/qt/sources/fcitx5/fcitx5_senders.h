#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>

namespace vellicor::qt {

// Which connections on the session bus are Fcitx5's, for the tray items'
// NewIcon signal, which any item sends: each new sender is asked about once
// (its process), at most `mostAsked` at a time, and at most `mostKnown` are
// remembered, Fcitx5's own kept first. So a flood of NewIcon from ever new
// connections costs a bounded number of questions and bounded memory.
class Fcitx5Senders {
 public:
  enum class Verdict {
    Fcitx5,   // its signals tell of a switch
    Other,    // another program's item
    Ask,      // not known: ask which process it is, then say `answered`
    Asking,   // asked about already
    TooMany,  // not known, and as many questions are out as may be
  };

  explicit Fcitx5Senders(std::size_t mostKnown = 32, std::size_t mostAsked = 4)
      : mostKnown_(mostKnown), mostAsked_(mostAsked) {}

  // What to do with a NewIcon from `sender`; Ask counts it as asked about.
  Verdict verdict(const std::string& sender);
  void answered(const std::string& sender, bool fcitx5);
  // Asked about, but no answer can tell: asked again when it speaks again.
  void forget(const std::string& sender) { asking_.erase(sender); }
  // Fcitx5 went: nothing is known any more.
  void clear();
  std::size_t known() const { return known_.size(); }

 private:
  std::size_t mostKnown_;
  std::size_t mostAsked_;
  std::map<std::string, bool> known_;  // sender -> belongs to Fcitx5
  std::set<std::string> asking_;
};

}  // namespace vellicor::qt
