#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusMetaType>
#include <string>

#include "platform/qt/sources/dbus/dbus_peers.h"
#include "platform/qt/sources/dbus/dbus_value_reader.h"
#include "platform/qt/sources/kwin/kwin_answers.h"
#include "support/kwin_layout_names.h"

namespace vellicor::qt {
namespace {

// What KWin 5.27 nested in an X server answers, shortened: other sections
// name other things.
const std::string kSupportInformation = R"(KWin Support Information:
Platform
==========
Name: KWin::X11WindowedBackend

Screens
=======
Active screen follows mouse:  yes
Number of Screens: 2

Screen 0:
---------
Name: X11-0
Enabled: 1
Geometry: 0,0,1280x800
Scale: 1
Screen 1:
---------
Name: X11-1
Enabled: 1
Geometry: 1280,0,1280x800
Scale: 1

Compositing
===========
Name: after the section
Geometry: 0,0,10x10
)";

QVariant layoutList(const QList<KWinLayoutNames>& layouts) {
  qDBusRegisterMetaType<KWinLayoutNames>();
  qDBusRegisterMetaType<QList<KWinLayoutNames>>();
  return QVariant::fromValue(layouts);
}

TEST(KWinAnswers, LayoutsAreNamedByTheirLongNameAndIdentifiedByTheirLayout) {
  DBusPeers peers;
  ASSERT_TRUE(peers.connected());
  // The middle field is the label the user gave the layout, not its variant.
  const auto message = peers.deliver({layoutList({{"us", "", "English (US)"},
                                                  {"kr", "한", "Korean (101/104-key compatible)"},
                                                  {"de", "de", ""}}),
                                      QVariant::fromValue(1u)});
  ASSERT_TRUE(message && message->arguments().size() == 2);
  const auto layouts = kwinLayouts(readDBusValue(message->arguments().at(0)));
  ASSERT_EQ(layouts.size(), 3u);
  const auto index = kwinLayoutIndex(readDBusValue(message->arguments().at(1)));
  ASSERT_EQ(index, 1u);
  EXPECT_EQ(kwinLayoutSource(layouts, *index),
            (NamedSource{"Korean (101/104-key compatible)", "kr"}));
  EXPECT_EQ(kwinLayoutSource(layouts, 0), (NamedSource{"English (US)", "us"}));
  // Without a long name, the user's label names it.
  EXPECT_EQ(kwinLayoutSource(layouts, 2), (NamedSource{"de", "de"}));
  EXPECT_FALSE(kwinLayoutSource(layouts, 3));
}

TEST(KWinAnswers, AnswersOfAnotherShapeNameNothing) {
  DBusValue text;
  text.kind = DBusValue::Kind::Text;
  text.text = "English (US)";
  EXPECT_TRUE(kwinLayouts(text).empty());
  EXPECT_FALSE(kwinLayoutIndex(text));
  DBusValue negative;
  negative.kind = DBusValue::Kind::Signed;
  negative.signedValue = -1;
  EXPECT_FALSE(kwinLayoutIndex(negative));
  DBusValue huge;
  huge.kind = DBusValue::Kind::Unsigned;
  huge.unsignedValue = 1ull << 40;
  EXPECT_FALSE(kwinLayoutIndex(huge));

  // Entries of another shape keep their place, named by nothing.
  DBusValue list;
  list.kind = DBusValue::Kind::Array;
  list.items = {text, DBusValue{}};
  const auto layouts = kwinLayouts(list);
  ASSERT_EQ(layouts.size(), 2u);
  EXPECT_FALSE(kwinLayoutSource(layouts, 0));
  EXPECT_FALSE(kwinLayoutSource(layouts, 1));

  // A list longer than any keyboard's is cut.
  list.items.assign(100000, text);
  EXPECT_EQ(kwinLayouts(list).size(), 256u);
}

TEST(KWinAnswers, OutputsAreReadFromTheScreensSectionOnly) {
  const auto outputs = kwinOutputs(kSupportInformation);
  ASSERT_EQ(outputs.size(), 2u) << outputs.begin()->first;
  EXPECT_EQ(outputs.at("X11-0"), (OutputRect{0, 0, 1280, 800}));
  EXPECT_EQ(outputs.at("X11-1"), (OutputRect{1280, 0, 1280, 800}));
}

TEST(KWinAnswers, OutputsOfAnotherShapeAreLeftOut) {
  const auto screens = [](const std::string& body) {
    return kwinOutputs("Screens\n=======\n" + body + "Compositing\n");
  };
  for (const char* geometry :
       {"", "1,2,3", "0,0,0x800", "0,0,1280x-1", "a,0,1280x800", "0,0,1280x800x2", "0,0,1280 x800",
        "0,0,99999999x800", "99999999999,0,1280x800", "0,0,1280x800000000000000000000"}) {
    EXPECT_TRUE(screens("Name: A\nGeometry: " + std::string(geometry) + "\n").empty()) << geometry;
  }
  // A place left of or above the first output is a place.
  EXPECT_EQ(screens("Name: L\nGeometry: -1280,-10,1280x800\n").at("L"),
            (OutputRect{-1280, -10, 1280, 800}));
  // A geometry with no name before it, or no Screens section at all.
  EXPECT_TRUE(screens("Geometry: 0,0,1280x800\n").empty());
  EXPECT_TRUE(kwinOutputs("Name: A\nGeometry: 0,0,1280x800\n").empty());
  EXPECT_TRUE(kwinOutputs("").empty());

  // However long the text, only so much is read, and only so many outputs.
  std::string many = "Screens\n";
  for (int i = 0; i < 1000; ++i) {
    many += "Name: O" + std::to_string(i) + "\nGeometry: " + std::to_string(i) + ",0,10x10\n";
  }
  EXPECT_EQ(kwinOutputs(many).size(), 64u);
  const std::string late =
      "Screens\n" + std::string(2u << 20, ' ') + "\nName: A\nGeometry: 0,0,1280x800\n";
  EXPECT_TRUE(kwinOutputs(late).empty());
}

}  // namespace
}  // namespace vellicor::qt
