#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace vellicor::icu_text {

class GraphemeIterator;

// Extended grapheme cluster boundaries in well-formed UTF-8. Most boundaries are
// decided from the two code points around them; only marks, joiners, prepended
// characters and regional indicators need ICU's break iterator, which is built
// the first time one of those is met.
class ClusterBoundaries {
 public:
  explicit ClusterBoundaries(std::string_view text);
  ~ClusterBoundaries();
  ClusterBoundaries(const ClusterBoundaries&) = delete;
  ClusterBoundaries& operator=(const ClusterBoundaries&) = delete;

  // `offset` must start a code point (or be the end of the text).
  bool isBoundary(size_t offset);
  // The byte length of the first cluster; 0 for empty text.
  size_t firstClusterEnd();

 private:
  GraphemeIterator& iterator();

  std::string_view text_;
  std::unique_ptr<GraphemeIterator> iterator_;
};

}  // namespace vellicor::icu_text
