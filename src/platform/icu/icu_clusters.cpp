#include "platform/icu/icu_clusters.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <limits>
#include <optional>

namespace vellicor::icu_text {
namespace {

int32_t length32(std::string_view s) {
  constexpr auto kMax = static_cast<size_t>(std::numeric_limits<int32_t>::max());
  return static_cast<int32_t>(s.size() < kMax ? s.size() : kMax);
}

int gcb(UChar32 c) {
  return u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK);
}

bool isControl(int b) {
  return b == U_GCB_CR || b == U_GCB_LF || b == U_GCB_CONTROL;
}

// The break rules that look at no more than the pair around a position: CR LF,
// controls, and Hangul syllable sequences. Returns nothing where a rule may need
// wider context (marks, joiners, emoji sequences, regional-indicator pairs,
// prepended characters) or the property value is one this code does not know.
std::optional<bool> pairBoundary(UChar32 before, UChar32 after) {
  const int b = gcb(before);
  const int a = gcb(after);
  if (b == U_GCB_CR && a == U_GCB_LF) {
    return false;
  }
  if (isControl(b) || isControl(a)) {
    return true;
  }
  const auto plain = [](int v) {
    return v == U_GCB_OTHER || v == U_GCB_L || v == U_GCB_V || v == U_GCB_T || v == U_GCB_LV ||
           v == U_GCB_LVT;
  };
  if (!plain(b) || !plain(a)) {
    return std::nullopt;
  }
  if (b == U_GCB_L) {
    return !(a == U_GCB_L || a == U_GCB_V || a == U_GCB_LV || a == U_GCB_LVT);
  }
  if (b == U_GCB_LV || b == U_GCB_V) {
    return !(a == U_GCB_V || a == U_GCB_T);
  }
  if (b == U_GCB_LVT || b == U_GCB_T) {
    return a != U_GCB_T;
  }
  return true;
}

struct UTextCloser {
  void operator()(UText* text) const { utext_close(text); }
};

}  // namespace

// ICU's character break iterator over the UTF-8 text, which it does not copy.
class GraphemeIterator {
 public:
  explicit GraphemeIterator(std::string_view text) {
    UErrorCode error = U_ZERO_ERROR;
    text_.reset(utext_openUTF8(nullptr, text.data(), length32(text), &error));
    if (U_FAILURE(error)) {
      text_.reset();
      return;
    }
    iterator_.reset(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), error));
    if (U_FAILURE(error) || !iterator_) {
      iterator_.reset();
      return;
    }
    iterator_->setText(text_.get(), error);
    if (U_FAILURE(error)) {
      iterator_.reset();
    }
  }
  bool valid() const { return iterator_ != nullptr; }
  bool isBoundary(int32_t offset) { return iterator_->isBoundary(offset) != 0; }
  int32_t firstClusterEnd() {
    iterator_->first();
    return iterator_->next();
  }

 private:
  std::unique_ptr<UText, UTextCloser> text_;
  std::unique_ptr<icu::BreakIterator> iterator_;
};

ClusterBoundaries::ClusterBoundaries(std::string_view text) : text_(text) {}

ClusterBoundaries::~ClusterBoundaries() = default;

GraphemeIterator& ClusterBoundaries::iterator() {
  if (!iterator_) {
    iterator_ = std::make_unique<GraphemeIterator>(text_);
  }
  return *iterator_;
}

bool ClusterBoundaries::isBoundary(size_t offset) {
  if (offset == 0 || offset >= text_.size()) {
    return true;
  }
  const int32_t n = length32(text_);
  const auto at = static_cast<int32_t>(offset);
  int32_t i = at;
  UChar32 before;
  U8_PREV(text_.data(), 0, i, before);
  i = at;
  UChar32 after;
  U8_NEXT(text_.data(), i, n, after);
  if (const auto decided = pairBoundary(before, after)) {
    return *decided;
  }
  GraphemeIterator& it = iterator();
  return it.valid() ? it.isBoundary(at) : true;
}

size_t ClusterBoundaries::firstClusterEnd() {
  const int32_t n = length32(text_);
  if (n == 0) {
    return 0;
  }
  int32_t i = 0;
  UChar32 before;
  U8_NEXT(text_.data(), i, n, before);
  while (i < n) {
    const int32_t end = i;
    UChar32 after;
    U8_NEXT(text_.data(), i, n, after);
    const auto decided = pairBoundary(before, after);
    if (!decided) {
      GraphemeIterator& it = iterator();
      if (!it.valid()) {
        return text_.size();
      }
      const int32_t first = it.firstClusterEnd();
      return first > 0 ? static_cast<size_t>(first) : text_.size();
    }
    if (*decided) {
      return static_cast<size_t>(end);
    }
    before = after;
  }
  return static_cast<size_t>(n);
}

}  // namespace vellicor::icu_text
