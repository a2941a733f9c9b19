#include "platform/icu/bounded_text.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/utext.h>

#include <memory>
#include <vector>

#include "platform/common/utf8.h"

namespace vellicor {
namespace {

constexpr std::string_view kEllipsis = "\u2026";

bool continuesSequence(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The longest start of `text` of at most `most` bytes that ends between
// sequences.
std::string_view headOf(std::string_view text, std::size_t most) {
  if (text.size() <= most) {
    return text;
  }
  std::size_t end = most;
  for (int back = 0; back < 3 && end > 0 && continuesSequence(text[end]); ++back) {
    --end;
  }
  return text.substr(0, end);
}

struct UTextCloser {
  void operator()(UText* text) const { utext_close(text); }
};

// The ends of the first clusters of well-formed `text`, up to `most` of them
// (and the end of the text, when it comes first): empty when ICU cannot tell.
std::vector<std::size_t> clusterEnds(const std::string& text, std::size_t most) {
  std::vector<std::size_t> ends;
  UErrorCode error = U_ZERO_ERROR;
  const std::unique_ptr<UText, UTextCloser> utext(
      utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &error));
  const std::unique_ptr<icu::BreakIterator> clusters(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), error));
  if (U_FAILURE(error) || !clusters) {
    return ends;
  }
  clusters->setText(utext.get(), error);
  if (U_FAILURE(error)) {
    return ends;
  }
  clusters->first();
  for (int32_t end = clusters->next(); end != icu::BreakIterator::DONE && ends.size() < most;
       end = clusters->next()) {
    ends.push_back(static_cast<std::size_t>(end));
  }
  return ends;
}

}  // namespace

std::string boundedText(std::string_view text, std::size_t mostClusters, std::size_t mostBytes) {
  // Every cluster takes a byte at least.
  if (text.size() <= mostClusters && text.size() <= mostBytes) {
    return std::string(text);
  }
  // What is beyond the bytes allowed is never read.
  const std::string head = repairedUtf8(headOf(text, mostBytes));
  const std::vector<std::size_t> ends = clusterEnds(head, mostClusters + 1);
  if (text.size() <= mostBytes && ends.size() <= mostClusters && !ends.empty() &&
      ends.back() == head.size()) {
    return std::string(text);
  }
  // Room for the ellipsis: one cluster and its bytes. Where the head was cut
  // from a longer text, its last cluster may go on beyond it.
  const std::size_t room = mostBytes > kEllipsis.size() ? mostBytes - kEllipsis.size() : 0;
  const std::size_t whole =
      text.size() > mostBytes && !head.empty() ? head.size() - 1 : head.size();
  std::size_t keep = 0;
  for (std::size_t i = 0;
       i < ends.size() && i + 1 < mostClusters && ends[i] <= room && ends[i] <= whole; ++i) {
    keep = ends[i];
  }
  if (keep == 0) {
    keep = headOf(head, room).size();
  }
  return head.substr(0, keep) + std::string(kEllipsis);
}

}  // namespace vellicor
