#include "platform/icu/icu_text.h"

#include "platform/common/utf8.h"
#include "platform/icu/icu_clusters.h"

#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

namespace vellicor {
namespace {

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

// Holds well-formed UTF-8: a view of the input when it already is, else a repaired copy.
class WellFormed {
 public:
  explicit WellFormed(std::string_view s) : view_(s) {
    if (!isAscii(s) && !isWellFormedUtf8(s)) {
      copy_ = repairedUtf8(s);
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

// Hangul syllables decompose by arithmetic into conjoining jamo, all of
// combining class 0, so well-formed text made only of them and ASCII needs no
// normaliser. Every syllable and every jamo is three bytes long in UTF-8.
std::optional<std::string> asciiAndHangulNFD(std::string_view s) {
  constexpr char32_t kSBase = 0xAC00, kLBase = 0x1100, kVBase = 0x1161, kTBase = 0x11A7;
  constexpr char32_t kTCount = 28, kNCount = 21 * kTCount, kSCount = 19 * kNCount;
  const auto syllableAt = [&s](size_t i) -> char32_t {
    const auto byte = [&s](size_t k) {
      return static_cast<char32_t>(static_cast<unsigned char>(s[k]));
    };
    return ((byte(i) & 0x0F) << 12) | ((byte(i + 1) & 0x3F) << 6) | (byte(i + 2) & 0x3F);
  };
  size_t size = 0;
  for (size_t i = 0; i < s.size();) {
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) {
      ++size;
      ++i;
      continue;
    }
    // U+AC00..U+D7A3 lead with EA..ED, which always start a three-byte sequence.
    if (lead < 0xEA || lead > 0xED) {
      return std::nullopt;
    }
    const char32_t c = syllableAt(i);
    if (c < kSBase || c - kSBase >= kSCount) {
      return std::nullopt;
    }
    size += (c - kSBase) % kTCount == 0 ? 6 : 9;
    i += 3;
  }
  std::string out(size, '\0');
  size_t o = 0;
  const auto put = [&out, &o](char32_t jamo) {
    out[o++] = static_cast<char>(0xE0 | (jamo >> 12));
    out[o++] = static_cast<char>(0x80 | ((jamo >> 6) & 0x3F));
    out[o++] = static_cast<char>(0x80 | (jamo & 0x3F));
  };
  for (size_t i = 0; i < s.size();) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      out[o++] = s[i++];
      continue;
    }
    const char32_t index = syllableAt(i) - kSBase;
    put(kLBase + index / kNCount);
    put(kVBase + (index % kNCount) / kTCount);
    if (index % kTCount != 0) {
      put(kTBase + index % kTCount);
    }
    i += 3;
  }
  return out;
}

std::string toNFD(const WellFormed& s) {
  if (isAscii(s.view())) {
    return std::string(s.view());
  }
  if (auto fast = asciiAndHangulNFD(s.view())) {
    return std::move(*fast);
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

bool isWhitespaceOrNewline(UChar32 c) {
  if ((c >= 0x09 && c <= 0x0D) || c == 0x85) {
    return true;
  }
  const auto type = u_charType(c);
  return type == U_SPACE_SEPARATOR || type == U_LINE_SEPARATOR || type == U_PARAGRAPH_SEPARATOR;
}

enum class Case { Lower, Upper };

// In the root locale the only context-dependent mapping is final sigma, and
// capital sigma changes when lower-cased, so text in which no character changes
// maps to itself.
bool anyChangesCase(std::string_view s, Case target) {
  const UProperty property =
      target == Case::Lower ? UCHAR_CHANGES_WHEN_LOWERCASED : UCHAR_CHANGES_WHEN_UPPERCASED;
  const int32_t n = length32(s);
  int32_t i = 0;
  while (i < n) {
    UChar32 c;
    U8_NEXT(s.data(), i, n, c);
    if (u_hasBinaryProperty(c, property)) {
      return true;
    }
  }
  return false;
}

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
  if (!anyChangesCase(s.view(), target)) {
    return std::string(s.view());
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
  icu_text::ClusterBoundaries clusters(h);
  for (size_t pos = h.find(n); pos != std::string::npos; pos = h.find(n, pos + 1)) {
    if (clusters.isBoundary(pos) && clusters.isBoundary(pos + n.size())) {
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
  return std::string(v.substr(0, icu_text::ClusterBoundaries(v).firstClusterEnd()));
}

}  // namespace vellicor
