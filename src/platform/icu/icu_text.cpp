#include "platform/icu/icu_text.h"

#include <unicode/brkiter.h>
#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <limits>
#include <memory>

namespace vellicor {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// ICU indexes with int32_t; text beyond that is not looked at.
int32_t length32(std::string_view s) {
  constexpr auto kMax = static_cast<size_t>(std::numeric_limits<int32_t>::max());
  return static_cast<int32_t>(s.size() < kMax ? s.size() : kMax);
}

bool isAscii(std::string_view s) {
  for (unsigned char c : s) {
    if (c >= 0x80) {
      return false;
    }
  }
  return true;
}

bool isWellFormed(std::string_view s) {
  const int32_t n = length32(s);
  int32_t i = 0;
  while (i < n) {
    UChar32 c;
    U8_NEXT(s.data(), i, n, c);
    if (c < 0) {
      return false;
    }
  }
  return true;
}

// Replaces each maximal ill-formed subpart with U+FFFD.
std::string repaired(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  const int32_t n = length32(s);
  int32_t i = 0;
  while (i < n) {
    const int32_t start = i;
    UChar32 c;
    U8_NEXT(s.data(), i, n, c);
    if (c < 0) {
      out += kReplacement;
    } else {
      out.append(s.data() + start, static_cast<size_t>(i - start));
    }
  }
  return out;
}

// Holds well-formed UTF-8: a view of the input when it already is, else a repaired copy.
class WellFormed {
 public:
  explicit WellFormed(std::string_view s) : view_(s) {
    if (!isAscii(s) && !isWellFormed(s)) {
      copy_ = repaired(s);
      view_ = copy_;
    }
  }
  WellFormed(const WellFormed&) = delete;
  WellFormed& operator=(const WellFormed&) = delete;
  std::string_view view() const { return view_; }
  icu::StringPiece piece() const { return {view_.data(), length32(view_)}; }

 private:
  std::string copy_;
  std::string_view view_;
};

std::string toNFD(const WellFormed& s) {
  if (isAscii(s.view())) {
    return std::string(s.view());
  }
  UErrorCode error = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(error);
  if (U_FAILURE(error) || nfd == nullptr) {
    return std::string(s.view());
  }
  if (nfd->isNormalizedUTF8(s.piece(), error) && U_SUCCESS(error)) {
    return std::string(s.view());
  }
  error = U_ZERO_ERROR;
  std::string out;
  icu::StringByteSink<std::string> sink(&out);
  nfd->normalizeUTF8(0, s.piece(), sink, nullptr, error);
  return U_SUCCESS(error) ? out : std::string(s.view());
}

struct UTextCloser {
  void operator()(UText* text) const { utext_close(text); }
};

// A grapheme-cluster iterator over UTF-8 that must outlive neither its text nor itself.
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

// Between two ASCII characters only CR LF stays joined; anything else asks ICU.
bool isClusterBoundary(std::string_view s, size_t offset, std::unique_ptr<GraphemeIterator>& it) {
  if (offset == 0 || offset >= s.size()) {
    return true;
  }
  const auto before = static_cast<unsigned char>(s[offset - 1]);
  const auto after = static_cast<unsigned char>(s[offset]);
  if (before < 0x80 && after < 0x80) {
    return !(before == '\r' && after == '\n');
  }
  if (!it) {
    it = std::make_unique<GraphemeIterator>(s);
  }
  return it->valid() ? it->isBoundary(static_cast<int32_t>(offset)) : true;
}

bool isWhitespaceOrNewline(UChar32 c) {
  if ((c >= 0x09 && c <= 0x0D) || c == 0x85) {
    return true;
  }
  const auto type = u_charType(c);
  return type == U_SPACE_SEPARATOR || type == U_LINE_SEPARATOR || type == U_PARAGRAPH_SEPARATOR;
}

enum class Case { Lower, Upper };

std::string mapCase(std::string_view text, Case target) {
  const WellFormed s(text);
  if (isAscii(s.view())) {
    std::string out(s.view());
    for (char& c : out) {
      if (target == Case::Lower && c >= 'A' && c <= 'Z') {
        c = static_cast<char>(c - 'A' + 'a');
      } else if (target == Case::Upper && c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - 'a' + 'A');
      }
    }
    return out;
  }
  std::string out;
  icu::StringByteSink<std::string> sink(&out);
  UErrorCode error = U_ZERO_ERROR;
  // "" is the root locale: no language-specific rules apply.
  if (target == Case::Lower) {
    icu::CaseMap::utf8ToLower("", 0, s.piece(), sink, nullptr, error);
  } else {
    icu::CaseMap::utf8ToUpper("", 0, s.piece(), sink, nullptr, error);
  }
  return U_SUCCESS(error) ? out : std::string(s.view());
}

}  // namespace

std::string IcuTextServices::validUTF8(std::string_view text) const {
  return std::string(WellFormed(text).view());
}

bool IcuTextServices::canonicallyEqual(std::string_view a, std::string_view b) const {
  if (a == b) {
    return true;
  }
  return toNFD(WellFormed(a)) == toNFD(WellFormed(b));
}

bool IcuTextServices::contains(std::string_view haystack, std::string_view needle) const {
  const std::string h = toNFD(WellFormed(haystack));
  const std::string n = toNFD(WellFormed(needle));
  if (n.empty()) {
    return false;
  }
  std::unique_ptr<GraphemeIterator> clusters;
  for (size_t pos = h.find(n); pos != std::string::npos; pos = h.find(n, pos + 1)) {
    if (isClusterBoundary(h, pos, clusters) && isClusterBoundary(h, pos + n.size(), clusters)) {
      return true;
    }
  }
  return false;
}

std::string IcuTextServices::lowercased(std::string_view text) const {
  return mapCase(text, Case::Lower);
}

std::string IcuTextServices::uppercased(std::string_view text) const {
  return mapCase(text, Case::Upper);
}

std::string IcuTextServices::trimmingWhitespaceAndNewlines(std::string_view text) const {
  const WellFormed s(text);
  const std::string_view v = s.view();
  const int32_t n = length32(v);
  int32_t begin = 0;
  while (begin < n) {
    int32_t next = begin;
    UChar32 c;
    U8_NEXT(v.data(), next, n, c);
    if (!isWhitespaceOrNewline(c)) {
      break;
    }
    begin = next;
  }
  int32_t end = n;
  while (end > begin) {
    int32_t previous = end;
    UChar32 c;
    U8_PREV(v.data(), 0, previous, c);
    if (!isWhitespaceOrNewline(c)) {
      break;
    }
    end = previous;
  }
  return std::string(v.substr(static_cast<size_t>(begin), static_cast<size_t>(end - begin)));
}

std::string IcuTextServices::firstCharacter(std::string_view text) const {
  const WellFormed s(text);
  const std::string_view v = s.view();
  if (v.empty()) {
    return {};
  }
  const auto first = static_cast<unsigned char>(v[0]);
  if (first < 0x80) {
    if (v.size() == 1) {
      return std::string(v);
    }
    const auto second = static_cast<unsigned char>(v[1]);
    if (second < 0x80 && !(first == '\r' && second == '\n')) {
      return std::string(v.substr(0, 1));
    }
  }
  GraphemeIterator clusters(v);
  if (!clusters.valid()) {
    return std::string(v);
  }
  const int32_t end = clusters.firstClusterEnd();
  return std::string(v.substr(0, end > 0 ? static_cast<size_t>(end) : v.size()));
}

}  // namespace vellicor
