#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/app_world.h"

namespace vellicor::testing {
namespace {

using sim::identifiedSource;
using sim::simNonString;
using sim::SimSource;
using sim::simString;

struct QueryCase {
  const char* what;
  std::optional<SimSource> source;
  std::string expected;
  std::vector<std::string> log;
};

std::string typeLine(const char* key) {
  return std::string("TISPropertyAsString: unexpected CFTypeID 22 for key ") + key;
}

class InputSourceQuery : public ::testing::TestWithParam<QueryCase> {};

TEST_P(InputSourceQuery, NamesTheSourceAndReleasesItOnce) {
  const QueryCase& c = GetParam();
  AppWorld w;
  w.desktop.inputSources.setCurrent(c.source);

  EXPECT_EQ(w.delegate->getCurrentInputSource(), c.expected) << c.what;
  EXPECT_EQ(w.log(), c.log) << c.what;
  EXPECT_EQ(w.desktop.inputSources.releases(), w.desktop.inputSources.copies()) << c.what;
  // Released last, after every property read.
  const auto& trace = w.desktop.inputSources.trace();
  if (c.source) {
    ASSERT_GE(trace.size(), 3u) << c.what;
    EXPECT_EQ(trace.back(), "release") << c.what;
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "release"), 1) << c.what;
  } else {
    EXPECT_EQ(trace, std::vector<std::string>{"copy"}) << c.what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InputSourceQuery,
    ::testing::Values(
        QueryCase{"no current source", std::nullopt, "알 수 없음", {}},
        QueryCase{"localized name wins",
                  SimSource{simString("2-Set Korean"), simString("ABC")},
                  "2-Set Korean",
                  {}},
        QueryCase{
            "empty localized name is kept", SimSource{simString(""), simString("US")}, "", {}},
        QueryCase{
            "untrimmed localized name", SimSource{simString(" ABC "), std::nullopt}, " ABC ", {}},
        QueryCase{"non-string name, Hangul identifier",
                  SimSource{simNonString(), simString("org.x.inputmethod.Hangul")},
                  "한국어",
                  {typeLine("TISPropertyLocalizedName")}},
        QueryCase{"Korean before US", identifiedSource("com.apple.Korean.US"), "한국어", {}},
        QueryCase{"ABC", identifiedSource("com.apple.keylayout.ABC"), "영어", {}},
        QueryCase{"US inside a word", identifiedSource("com.apple.keylayout.RUSSIAN"), "영어", {}},
        QueryCase{"case-sensitive tests",
                  identifiedSource("com.apple.inputmethod.korean.2set"),
                  "com.apple.inputmethod.korean.2set",
                  {}},
        QueryCase{"identifier verbatim",
                  identifiedSource("com.apple.keylayout.Dvorak"),
                  "com.apple.keylayout.Dvorak",
                  {}},
        QueryCase{"no properties at all", SimSource{}, "알 수 없음", {}},
        QueryCase{"neither property a string",
                  SimSource{simNonString(), simNonString()},
                  "알 수 없음",
                  {typeLine("TISPropertyLocalizedName"), typeLine("TISPropertyInputSourceID")}},
        QueryCase{"ill-formed bytes are replaced",
                  SimSource{simString("A\xFF\xFE"), std::nullopt},
                  "A\xEF\xBF\xBD\xEF\xBF\xBD",
                  {}},
        QueryCase{"jamo spelling of Korean in an identifier",
                  identifiedSource("x.\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB.Hangul"),
                  "한국어",
                  {}}));

TEST(InputSourceQueryOrder, ReadsTheNameThenTheIdentifierThenReleases) {
  AppWorld w;
  w.desktop.inputSources.setCurrent(SimSource{simNonString(), simString("com.apple.keylayout.US")});
  EXPECT_EQ(w.delegate->getCurrentInputSource(), "영어");
  EXPECT_EQ(w.desktop.inputSources.trace(),
            (std::vector<std::string>{"copy", "get TISPropertyLocalizedName",
                                      "get TISPropertyInputSourceID", "release"}));

  // With the trace off the same query records nothing, and is still counted.
  w.desktop.inputSources.setKeepTrace(false);
  w.desktop.inputSources.clearTrace();
  EXPECT_EQ(w.delegate->getCurrentInputSource(), "영어");
  EXPECT_TRUE(w.desktop.inputSources.trace().empty());
  EXPECT_EQ(w.desktop.inputSources.copies(), 2u);
  EXPECT_EQ(w.desktop.inputSources.releases(), 2u);
}

TEST(InputSourceQueryLimits, VeryLongAndUnusualNamesPassThroughUnchanged) {
  AppWorld w;
  const std::string longName(10000, 'x');
  const std::string zwj = "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x92\xBB";
  const std::string rtl = "\xD7\xA2\xD7\x91\xD7\xA8\xD7\x99\xD7\xAA";
  for (const std::string& name : {longName, zwj, rtl, std::string("e\xCC\x81")}) {
    w.desktop.inputSources.setCurrent(SimSource{simString(name), std::nullopt});
    EXPECT_EQ(w.delegate->getCurrentInputSource(), name);
  }
}

}  // namespace
}  // namespace vellicor::testing
