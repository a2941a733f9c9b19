// The text services take shortcuts for common text (Hangul syllables, pairs of
// characters whose cluster break needs no context, text without cased letters).
// These tests hold each shortcut against ICU's general machinery over whole
// ranges of code points.

#include <gtest/gtest.h>
#include <unicode/brkiter.h>
#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/common/utf8.h"
#include "platform/icu/icu_text.h"

namespace vellicor {
namespace {

const IcuTextServices text;

std::string utf8(char32_t c) {
  char bytes[U8_MAX_LENGTH];
  int32_t length = 0;
  U8_APPEND_UNSAFE(bytes, length, static_cast<UChar32>(c));
  return std::string(bytes, static_cast<size_t>(length));
}

std::string icuNFD(const std::string& s) {
  UErrorCode error = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(error);
  std::string out;
  icu::StringByteSink<std::string> sink(&out);
  nfd->normalizeUTF8(0, s, sink, nullptr, error);
  EXPECT_TRUE(U_SUCCESS(error));
  return out;
}

std::string icuFirstCluster(const std::string& s) {
  UErrorCode error = U_ZERO_ERROR;
  std::unique_ptr<icu::BreakIterator> it(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), error));
  const icu::UnicodeString u = icu::UnicodeString::fromUTF8(s);
  it->setText(u);
  it->first();
  const int32_t end = it->next();
  std::string out;
  u.tempSubString(0, end).toUTF8String(out);
  return out;
}

bool isScalar(char32_t c) {
  return c < 0xD800 || (c > 0xDFFF && c <= 0x10FFFF);
}

TEST(TextShortcuts, EverySyllableDecomposesAsTheNormaliserDoes) {
  for (char32_t c = 0xAC00; c <= 0xD7A3; ++c) {
    const std::string syllable = utf8(c);
    const std::string jamo = icuNFD(syllable);
    ASSERT_TRUE(text.canonicallyEqual("x" + syllable + "1", "x" + jamo + "1"))
        << std::hex << static_cast<uint32_t>(c);
    ASSERT_TRUE(text.contains(syllable + "a", jamo)) << std::hex << static_cast<uint32_t>(c);
    ASSERT_FALSE(text.canonicallyEqual(syllable, icuNFD(utf8(c + 1))))
        << std::hex << static_cast<uint32_t>(c);
  }
}

TEST(TextShortcuts, FirstClusterAgreesWithTheBreakIterator) {
  // Representatives of every break property: ASCII, controls, CR LF, Hangul
  // L V T LV LVT, combining and spacing marks, ZWJ, prepended characters,
  // regional indicators, emoji and their modifiers, and plain letters.
  const std::vector<char32_t> sample = {U'a',    U'\r',   U'\n',   0x0007,  0x00AD, 0x1100, 0x1161,
                                        0x11A8,  0xAC00,  0xAC01,  0x0301,  0x0903, 0x200D, 0x0600,
                                        0x1F1F0, 0x1F1F7, 0x1F468, 0x1F3FB, 0x0915, 0x094D, 0x05D0,
                                        0x0E33,  0x4E00,  U' ',    0xFFFD,  0xFE0F, 0x2764};
  for (const char32_t a : sample) {
    for (const char32_t b : sample) {
      for (const char32_t c : sample) {
        const std::string s = utf8(a) + utf8(b) + utf8(c);
        ASSERT_EQ(text.firstCharacter(s), icuFirstCluster(s))
            << std::hex << static_cast<uint32_t>(a) << " " << static_cast<uint32_t>(b) << " "
            << static_cast<uint32_t>(c);
      }
    }
  }
}

TEST(TextShortcuts, CaseMappingAgreesWithTheRootLocaleForEveryCodePoint) {
  for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
    if (!isScalar(c)) {
      continue;
    }
    const std::string s = utf8(c) + "x";
    std::string lower;
    std::string upper;
    icu::StringByteSink<std::string> lowerSink(&lower);
    icu::StringByteSink<std::string> upperSink(&upper);
    UErrorCode error = U_ZERO_ERROR;
    icu::CaseMap::utf8ToLower("", 0, s, lowerSink, nullptr, error);
    icu::CaseMap::utf8ToUpper("", 0, s, upperSink, nullptr, error);
    ASSERT_TRUE(U_SUCCESS(error));
    ASSERT_EQ(text.lowercased(s), lower) << std::hex << static_cast<uint32_t>(c);
    ASSERT_EQ(text.uppercased(s), upper) << std::hex << static_cast<uint32_t>(c);
  }
}

TEST(TextShortcuts, Utf8RepairAgreesWithIcuOnEveryShortByteString) {
  // Every string of one and two bytes, and every three-byte string whose first
  // byte is a lead byte, each between ASCII letters.
  std::vector<std::string> inputs;
  for (int a = 0; a < 256; ++a) {
    inputs.push_back({static_cast<char>(a)});
    for (int b = 0; b < 256; ++b) {
      inputs.push_back({static_cast<char>(a), static_cast<char>(b)});
      if (a >= 0xE0 && a <= 0xF4) {
        for (int c : {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xFF}) {
          inputs.push_back({static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)});
        }
      }
    }
  }
  for (const auto& bytes : inputs) {
    const std::string s = "x" + bytes + "y";
    std::string expected;
    icu::UnicodeString::fromUTF8(s).toUTF8String(expected);
    ASSERT_EQ(repairedUtf8(s), expected) << testing::PrintToString(s);
    ASSERT_EQ(isWellFormedUtf8(s), expected == s) << testing::PrintToString(s);
  }
}

}  // namespace
}  // namespace vellicor
