// The text services against the Unicode Character Database's own test data
// (Debian's unicode-data, /usr/share/unicode, or VELLICOR_UNICODE_DATA): every
// line of the normalization, grapheme-break and special-casing files, and the
// simple case mappings of every assigned character in UnicodeData.txt. When the
// data is of a newer Unicode version than the linked ICU, lines with a character
// ICU does not know are counted apart and left out; when the versions agree,
// every line is checked (the grapheme test uses unassigned code points on
// purpose). When the versions differ, a case mapping may differ only where it
// names a character that the older of the two does not have: a capital added
// later, as Unicode 16.0 added those of U+019B and U+0264, which older data
// cannot name. Such differences are counted apart and listed.

#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>
#include <unicode/uversion.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/icu/icu_text.h"

namespace vellicor {
namespace {

const IcuTextServices text;

std::filesystem::path dataDirectory() {
  const char* dir = std::getenv("VELLICOR_UNICODE_DATA");
  return dir != nullptr && *dir != '\0' ? dir : "/usr/share/unicode";
}

// The file's lines, read through bzip2 when Debian ships it compressed. Empty
// when it is in neither form, with the reason in `error`.
std::vector<std::string> readLines(const std::string& name, std::string& error) {
  const auto plain = dataDirectory() / name;
  const auto compressed = dataDirectory() / (name + ".bz2");
  std::string content;
  if (std::ifstream in{plain}) {
    std::ostringstream all;
    all << in.rdbuf();
    content = all.str();
  } else if (std::filesystem::exists(compressed)) {
    const std::string command = "bzip2 -dc '" + compressed.string() + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
      error = "cannot run " + command;
      return {};
    }
    char buffer[65536];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
      content.append(buffer, n);
    }
  } else {
    error = plain.string() + " is missing: install Debian's unicode-data (tools/deps does)";
    return {};
  }
  std::vector<std::string> lines;
  std::istringstream in(content);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

// "15.0" from a first line such as "# SpecialCasing-15.0.0.txt".
std::string dataVersion(const std::vector<std::string>& lines) {
  const auto dash = lines.empty() ? std::string::npos : lines.front().rfind('-');
  if (dash == std::string::npos) {
    return {};
  }
  const auto minorDot = lines.front().find('.', lines.front().find('.', dash) + 1);
  return lines.front().substr(dash + 1, minorDot - dash - 1);
}

std::string icuUnicodeVersion() {
  const std::string full = U_UNICODE_VERSION;
  return full.substr(0, full.find('.', full.find('.') + 1));
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Code points written in hex and separated by spaces.
std::vector<char32_t> codePoints(const std::string& field) {
  std::vector<char32_t> out;
  std::istringstream in(field);
  for (std::string word; in >> word;) {
    out.push_back(static_cast<char32_t>(std::stoul(word, nullptr, 16)));
  }
  return out;
}

std::string utf8(const std::vector<char32_t>& cps) {
  std::string out;
  for (char32_t c : cps) {
    appendUtf8(out, c);
  }
  return out;
}

bool knownToIcu(const std::vector<char32_t>& cps) {
  for (char32_t c : cps) {
    if (u_charType(static_cast<UChar32>(c)) == U_UNASSIGNED) {
      return false;
    }
  }
  return true;
}

// The code points of UTF-8 text (U+FFFD for a malformed sequence).
std::vector<char32_t> decoded(const std::string& text) {
  std::vector<char32_t> out;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    out.push_back(c < 0 ? U'\uFFFD' : static_cast<char32_t>(c));
  }
  return out;
}

// Whether one of `cps` was assigned after Unicode `version` ("15.1"), by ICU's
// record of the version each character came in.
bool hasCharacterNewerThan(const std::vector<char32_t>& cps, const std::string& version) {
  const auto dot = version.find('.');
  const int major = std::stoi(version.substr(0, dot));
  const int minor = dot == std::string::npos ? 0 : std::stoi(version.substr(dot + 1));
  for (char32_t c : cps) {
    UVersionInfo age;
    u_charAge(static_cast<UChar32>(c), age);
    if (age[0] > major || (age[0] == major && age[1] > minor)) {
      return true;
    }
  }
  return false;
}

std::vector<std::string> splitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::string data = line.substr(0, line.find('#'));
  std::istringstream in(data);
  for (std::string field; std::getline(in, field, ';');) {
    fields.push_back(field);
  }
  return fields;
}

// Collects disagreements and prints the first few with their lines.
struct Findings {
  explicit Findings(const std::vector<std::string>& lines)
      : version(dataVersion(lines)), sameVersion(version == icuUnicodeVersion()) {}
  // Whether a line is checked: always, unless ICU is of another Unicode version
  // and does not know one of its characters.
  bool covers(const std::vector<char32_t>& cps) {
    if (sameVersion || knownToIcu(cps)) {
      ++checked;
      return true;
    }
    ++unknownToIcu;
    return false;
  }
  // Whether a mapping that ICU gives as `actual` and the data as `expected`
  // may differ because one of them names a character the other's Unicode
  // version does not have: ICU's, newer than the data, or the data's, unknown to ICU.
  bool newerCharacter(const std::string& actual, const std::string& expected) const {
    return !sameVersion &&
           (hasCharacterNewerThan(decoded(actual), version) || !knownToIcu(decoded(expected)));
  }
  std::string version;
  bool sameVersion;
  size_t checked = 0;
  size_t unknownToIcu = 0;
  std::vector<std::string> failures;
  std::vector<std::string> byNewerCharacter;
  void fail(const std::string& what) { failures.push_back(what); }
  std::string report() const {
    std::string out;
    for (size_t i = 0; i < failures.size() && i < 10; ++i) {
      out += failures[i] + "\n";
    }
    return out;
  }
};

void expectFullCoverage(const Findings& f, const std::vector<std::string>& lines) {
  EXPECT_GT(f.checked, 0u);
  EXPECT_TRUE(f.failures.empty()) << f.failures.size() << " disagreements, first:\n" << f.report();
  std::cout << "[ checked  ] " << f.checked << " lines of Unicode " << dataVersion(lines)
            << " data against ICU's Unicode " << icuUnicodeVersion() << "; " << f.unknownToIcu
            << " left out, with characters ICU does not know\n";
  for (const auto& what : f.byNewerCharacter) {
    std::cout << "[ checked  ] differs by a character of a later Unicode version: " << what << "\n";
  }
}

TEST(UnicodeConformance, CanonicalEqualityFollowsEveryNormalizationTestLine) {
  std::string error;
  const auto lines = readLines("NormalizationTest.txt", error);
  ASSERT_FALSE(lines.empty()) << error;
  Findings f(lines);
  for (const auto& line : lines) {
    if (line.empty() || line[0] == '#' || line[0] == '@') {
      continue;
    }
    const auto fields = splitFields(line);
    ASSERT_GE(fields.size(), 5u) << line;
    if (!f.covers(codePoints(fields[0]))) {
      continue;
    }
    std::vector<std::string> c;
    for (size_t i = 0; i < 5; ++i) {
      c.push_back(utf8(codePoints(fields[i])));
    }
    // c1, c2 (NFC) and c3 (NFD) are canonically equivalent, as are c4 and c5;
    // c1 and c4 are equivalent exactly when their canonical decompositions agree.
    const bool ok = text.canonicallyEqual(c[0], c[1]) && text.canonicallyEqual(c[1], c[0]) &&
                    text.canonicallyEqual(c[0], c[2]) && text.canonicallyEqual(c[1], c[2]) &&
                    text.canonicallyEqual(c[3], c[4]) &&
                    text.canonicallyEqual(c[0], c[3]) == (c[2] == c[4]) &&
                    text.contains(c[2], c[0]) && text.contains(c[0], c[1]);
    if (!ok) {
      f.fail(line);
    }
  }
  expectFullCoverage(f, lines);
}

TEST(UnicodeConformance, TheFirstCharacterIsTheFirstClusterOfEveryGraphemeBreakTestLine) {
  std::string error;
  const auto lines = readLines("auxiliary/GraphemeBreakTest.txt", error);
  ASSERT_FALSE(lines.empty()) << error;
  Findings f(lines);
  for (const auto& line : lines) {
    if (line.empty() || line[0] == '#') {
      continue;
    }
    // "÷ 0020 × 0308 ÷ 0020 ÷": ÷ is a boundary, × none.
    std::istringstream in(line.substr(0, line.find('#')));
    std::vector<char32_t> all;
    std::optional<size_t> firstBreak;
    for (std::string word; in >> word;) {
      if (word == "÷") {
        if (!all.empty() && !firstBreak) {
          firstBreak = all.size();
        }
      } else if (word != "×") {
        all.push_back(static_cast<char32_t>(std::stoul(word, nullptr, 16)));
      }
    }
    ASSERT_TRUE(firstBreak.has_value()) << line;
    if (!f.covers(all)) {
      continue;
    }
    const std::vector<char32_t> cluster(all.begin(),
                                        all.begin() + static_cast<std::ptrdiff_t>(*firstBreak));
    if (text.firstCharacter(utf8(all)) != utf8(cluster)) {
      f.fail(line);
    }
  }
  expectFullCoverage(f, lines);
}

// Full case mappings: SpecialCasing.txt where it has an unconditional entry,
// otherwise the simple mapping of UnicodeData.txt, otherwise the character
// itself; Final_Sigma in context; the language-conditioned entries (lt, tr, az)
// must not apply, as the mappings are independent of the user's locale.
struct CaseMapping {
  std::string lower, upper;
};

TEST(UnicodeConformance, FullCaseMappingsAgreeWithSpecialCasingAndUnicodeData) {
  std::string error;
  const auto special = readLines("SpecialCasing.txt", error);
  ASSERT_FALSE(special.empty()) << error;
  const auto data = readLines("UnicodeData.txt", error);
  ASSERT_FALSE(data.empty()) << error;

  std::map<char32_t, CaseMapping> expected;
  for (const auto& line : data) {
    const auto fields = splitFields(line);
    if (fields.size() < 14 || fields[1].find(", First>") != std::string::npos ||
        fields[1].find(", Last>") != std::string::npos) {
      continue;  // ranges: ideographs, Hangul syllables, surrogates, private use; no case
    }
    const char32_t c = codePoints(fields[0]).at(0);
    const std::string self = utf8({c});
    expected[c] = {fields[13].empty() ? self : utf8(codePoints(fields[13])),
                   fields[12].empty() ? self : utf8(codePoints(fields[12]))};
  }
  Findings f(special);
  std::vector<std::string> conditional;
  for (const auto& line : special) {
    const auto fields = splitFields(line);
    if (fields.size() < 4) {
      continue;
    }
    const auto cps = codePoints(fields[0]);
    if (fields.size() > 4 && fields[4].find_first_not_of(' ') != std::string::npos) {
      conditional.push_back(line);
      continue;
    }
    expected[cps.at(0)] = {utf8(codePoints(fields[1])), utf8(codePoints(fields[3]))};
  }
  for (const auto& [c, mapping] : expected) {
    if (!f.covers({c})) {
      continue;
    }
    const std::string s = utf8({c});
    const std::string lower = text.lowercased(s);
    const std::string upper = text.uppercased(s);
    if (lower == mapping.lower && upper == mapping.upper) {
      continue;
    }
    std::ostringstream what;
    what << std::hex << "U+" << static_cast<unsigned>(c) << ": lower " << lower << " upper "
         << upper << " (the data: " << mapping.lower << ", " << mapping.upper << ")";
    // Each mapping that differs must differ by a newer character.
    if ((lower == mapping.lower || f.newerCharacter(lower, mapping.lower)) &&
        (upper == mapping.upper || f.newerCharacter(upper, mapping.upper))) {
      f.byNewerCharacter.push_back(what.str());
    } else {
      f.fail(what.str());
    }
  }
  expectFullCoverage(f, special);

  // 16 conditional lines in Unicode 15.0: Final_Sigma, and the rest for lt, tr and az.
  EXPECT_GE(conditional.size(), 16u);
  // Final_Sigma: a capital sigma after a cased letter and before none is final.
  EXPECT_EQ(text.lowercased("ΟΔΟΣ"), "οδος");
  EXPECT_EQ(text.lowercased("ΟΔΟΣ ΟΔΟΣ"), "οδος οδος");
  EXPECT_EQ(text.lowercased("Σ"), "σ");
  EXPECT_EQ(text.lowercased("ΣΑ"), "σα");
  // Not Turkish, Azeri or Lithuanian (I and İ lower-case as everywhere else,
  // as the text services' own tests check): i upper-cases to I.
  EXPECT_EQ(text.uppercased("i"), "I");
  EXPECT_EQ(text.lowercased("\xC3\x8C"), "\xC3\xAC");  // Ì, not i + dot + grave
}

}  // namespace
}  // namespace vellicor
