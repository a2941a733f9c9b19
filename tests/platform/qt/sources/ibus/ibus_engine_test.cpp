#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/qt/sources/ibus/ibus_engine_mode.h"
#include "platform/qt/sources/ibus/ibus_engine_state.h"

namespace vellicor::qt {
namespace {

DBusValue text(std::string s) {
  DBusValue v;
  v.kind = DBusValue::Kind::Text;
  v.text = std::move(s);
  return v;
}
DBusValue number(std::uint64_t n) {
  DBusValue v;
  v.kind = DBusValue::Kind::Unsigned;
  v.unsignedValue = n;
  return v;
}
DBusValue boolean(bool b) {
  DBusValue v;
  v.kind = DBusValue::Kind::Boolean;
  v.boolean = b;
  return v;
}
DBusValue group(DBusValue::Kind kind, std::vector<DBusValue> items) {
  DBusValue v;
  v.kind = kind;
  v.items = std::move(items);
  return v;
}
DBusValue serialised(const std::string& type, std::vector<DBusValue> fields) {
  fields.insert(fields.begin(), {text(type), group(DBusValue::Kind::Array, {})});
  return group(DBusValue::Kind::Struct, std::move(fields));
}
DBusValue ibusText(const std::string& s) {
  return serialised("IBusText", {text(s), serialised("IBusAttrList", {})});
}
// An IBusProperty as ibus-hangul sends it.
DBusValue property(const std::string& key, std::uint64_t state, const std::string& symbol) {
  return serialised(
      "IBusProperty",
      {text(key), number(1), ibusText("label"), text(""), ibusText("tip"), boolean(true),
       boolean(true), number(state),
       serialised("IBusPropList", {group(DBusValue::Kind::Array, {})}), ibusText(symbol)});
}
DBusValue propList(std::vector<DBusValue> properties) {
  return serialised("IBusPropList", {group(DBusValue::Kind::Array, std::move(properties))});
}

const IBusEngine kHangul{"hangul", "Hangul", "kr", "kr104"};
const IBusEngine kUS{"xkb:us::eng", "English (US)", "us", ""};

TEST(IBusEngineMode, InputModeIsReadFromAPropertyOrAList) {
  auto reading = readInputMode(property("InputMode", 1, "한"), false);
  EXPECT_EQ(reading.outcome, ModeReading::Outcome::Mode);
  EXPECT_EQ(reading.mode, InputMode::Native);
  reading = readInputMode(property("InputMode", 0, "EN"), false);
  EXPECT_EQ(reading.mode, InputMode::Latin);
  // Among other properties, as RegisterProperties sends them.
  reading = readInputMode(propList({property("hanja_mode", 1, ""), property("InputMode", 1, "한")}),
                          true);
  EXPECT_EQ(reading.outcome, ModeReading::Outcome::Mode);
  EXPECT_EQ(reading.mode, InputMode::Native);
  // Other keys say nothing of the mode.
  EXPECT_EQ(readInputMode(property("hanja_mode", 1, ""), false).outcome,
            ModeReading::Outcome::NoMode);
  EXPECT_EQ(readInputMode(propList({}), true).outcome, ModeReading::Outcome::NoMode);
}

TEST(IBusEngineMode, PropertiesOfTheWrongShapeAreMalformedNotModes) {
  DBusValue noState = property("InputMode", 1, "한");
  noState.items.resize(9);
  DBusValue textState = property("InputMode", 1, "한");
  textState.items[9] = text("1");
  DBusValue noKey = property("InputMode", 1, "한");
  noKey.items[2] = number(7);
  const std::vector<std::pair<DBusValue, bool>> bad{
      {text("not a property"), false},
      {number(42), false},
      {serialised("IBusText", {text("InputMode")}), false},
      {noState, false},
      {textState, false},
      {noKey, false},
      {property("InputMode", 1, "한"), true},  // a property where a list belongs
      {serialised("IBusPropList", {text("no array")}), true},
      {propList({text("x")}), true},
      {DBusValue{}, true},
  };
  for (const auto& [value, list] : bad) {
    const auto reading = readInputMode(value, list);
    EXPECT_EQ(reading.outcome, ModeReading::Outcome::Malformed);
    EXPECT_FALSE(reading.problem.empty());
  }
}

TEST(IBusEngineMode, AnEngineIsNamedByItsModeOnlyWhenItHasModes) {
  EXPECT_EQ(engineSource(kHangul, InputMode::Native),
            (NamedSource{"Hangul", std::string("hangul")}));
  EXPECT_EQ(engineSource(kHangul, std::nullopt), (NamedSource{"Hangul", std::string("hangul")}));
  // Latin mode is what the user then types: US letters on the Korean keyboards.
  EXPECT_EQ(engineSource(kHangul, InputMode::Latin),
            (NamedSource{"English (US)", std::string("hangul:latin")}));
  EXPECT_EQ(engineSource({"hangul", "Hangul", "kr", "kr106"}, InputMode::Latin).localizedName,
            "English (US)");
  EXPECT_EQ(engineSource({"hangul", "Hangul", "kr", "dvorak"}, InputMode::Latin).localizedName,
            "English (kr(dvorak))");
  EXPECT_EQ(engineSource({"hangul", "Hangul", "", ""}, InputMode::Latin).localizedName, "English");
  // Other engines ignore a mode.
  EXPECT_EQ(engineSource(kUS, InputMode::Latin),
            (NamedSource{"English (US)", std::string("xkb:us::eng")}));
  EXPECT_EQ(modeFromSetting("latin"), InputMode::Latin);
  EXPECT_EQ(modeFromSetting("hangul"), InputMode::Native);
  EXPECT_EQ(modeFromSetting(""), std::nullopt);
}

// With IBus set to keep the system's layout, Latin mode types what the
// keyboard's layout gives, whatever the engine's own layout says.
TEST(IBusEngineMode, LatinModeIsNamedForTheKeyboardsLayoutWhenKnown) {
  const auto latin = [](const std::string& layout) {
    return engineSource(kHangul, InputMode::Latin, layout).localizedName;
  };
  EXPECT_EQ(latin("de"), "English (de)");
  EXPECT_EQ(latin("de(nodeadkeys)"), "English (de(nodeadkeys))");
  EXPECT_EQ(latin("us"), "English (US)");
  EXPECT_EQ(latin("kr(kr104)"), "English (US)");
  EXPECT_EQ(latin("us(dvorak)"), "English (us(dvorak))");
  // A layout not read yet leaves the engine's.
  EXPECT_EQ(latin(""), "English (US)");
  EXPECT_EQ(engineSource(kHangul, InputMode::Latin, "de").identifier, "hangul:latin");
  // The engine's own script does not depend on the keyboard.
  EXPECT_EQ(engineSource(kHangul, InputMode::Native, "de").localizedName, "Hangul");
}

TEST(IBusEngineMode, TheEngineComesFromItsDescription) {
  std::vector<DBusValue> fields;
  for (const char* f : {"hangul", "Hangul", "Korean Input Method", "ko", "GPL", "Peng Huang",
                        "ibus-hangul", "kr"}) {
    fields.push_back(text(f));
  }
  fields.push_back(number(99));
  for (const char* f : {"", "한", "/usr/libexec/ibus-setup-hangul", "kr104", "", "", "", ""}) {
    fields.push_back(text(f));
  }
  const auto engine = engineFromDescription(serialised("IBusEngineDesc", fields));
  ASSERT_TRUE(engine);
  EXPECT_EQ(engine->name, "hangul");
  EXPECT_EQ(engine->longName, "Hangul");
  EXPECT_EQ(engine->layout, "kr");
  EXPECT_EQ(engine->layoutVariant, "kr104");
  // A short description still names the engine.
  const auto short_ = engineFromDescription(serialised("IBusEngineDesc", {text("x"), text("X")}));
  ASSERT_TRUE(short_);
  EXPECT_EQ(short_->layout, "");
  EXPECT_FALSE(engineFromDescription(serialised("IBusEngineDesc", {text(""), text("X")})));
  EXPECT_FALSE(engineFromDescription(serialised("IBusText", {text("hangul")})));
  EXPECT_FALSE(engineFromDescription(text("hangul")));
}

class IBusEngineStateTest : public ::testing::Test {
 protected:
  std::vector<std::string> notes;
  IBusEngineState state{[this](const std::string& line) { notes.push_back(line); }};
};

TEST_F(IBusEngineStateTest, ModesCountOnlyFromTheConnectionThatServesTheEngine) {
  EXPECT_EQ(state.current(), std::nullopt);
  state.setEngine(kHangul, InputMode::Latin);
  EXPECT_EQ(state.current()->localizedName, "English (US)");
  EXPECT_TRUE(state.wantsSender());
  EXPECT_FALSE(state.setEngineSender(":1.8"));
  EXPECT_FALSE(state.wantsSender());
  EXPECT_TRUE(state.onProperties(":1.8", property("InputMode", 1, "한"), false));
  EXPECT_EQ(state.current()->localizedName, "Hangul");
  // The same mode again is no change.
  EXPECT_FALSE(state.onProperties(":1.8", propList({property("InputMode", 1, "한")}), true));
  // Other connections: held until the owner is asked again; the owner is the
  // same, so they are ignored, and that is said once.
  EXPECT_FALSE(state.onProperties(":1.23", property("InputMode", 0, "EN"), false));
  EXPECT_FALSE(state.onProperties(":1.24", property("InputMode", 0, "EN"), false));
  EXPECT_TRUE(state.wantsSender());
  EXPECT_FALSE(state.setEngineSender(":1.8"));
  EXPECT_EQ(state.current()->localizedName, "Hangul");
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("ignored an input mode"), std::string::npos);
  // Broken properties from the engine itself: ignored, the last mode kept, said once.
  EXPECT_FALSE(state.onProperties(":1.8", text("junk"), false));
  EXPECT_FALSE(state.onProperties(":1.8", number(3), false));
  EXPECT_EQ(state.current()->localizedName, "Hangul");
  EXPECT_EQ(notes.size(), 2u);
  EXPECT_TRUE(state.onProperties(":1.8", property("InputMode", 0, "EN"), false));
  EXPECT_EQ(state.current()->localizedName, "English (US)");
}

TEST_F(IBusEngineStateTest, AModeHeardBeforeItsOwnerIsKnownIsTakenOnceItIs) {
  state.setEngine(kHangul, InputMode::Latin);
  EXPECT_FALSE(state.onProperties(":1.30", property("InputMode", 0, "EN"), false));
  EXPECT_FALSE(state.onProperties(":1.8", property("InputMode", 1, "한"), false));
  EXPECT_EQ(state.current()->localizedName, "English (US)");
  EXPECT_TRUE(state.setEngineSender(":1.8"));
  EXPECT_EQ(state.current()->localizedName, "Hangul");
  EXPECT_EQ(notes.size(), 1u);  // :1.30's
  // The engine's process starts anew: a new connection owns the component.
  EXPECT_FALSE(state.onProperties(":1.40", property("InputMode", 0, "EN"), false));
  EXPECT_EQ(state.current()->localizedName, "Hangul");
  EXPECT_TRUE(state.setEngineSender(":1.40"));
  EXPECT_EQ(state.current()->localizedName, "English (US)");
  EXPECT_TRUE(state.onProperties(":1.40", property("InputMode", 1, "한"), false));
}

TEST_F(IBusEngineStateTest, ANewEngineStartsAfreshAndEnginesWithoutModesIgnoreThem) {
  state.setEngine(kHangul, InputMode::Latin);
  state.setEngineSender(":1.8");
  state.onProperties(":1.8", property("InputMode", 1, "한"), false);
  // Another engine: its own name, whatever properties come.
  state.setEngine(kUS, std::nullopt);
  EXPECT_FALSE(state.onProperties(":1.8", property("InputMode", 1, "한"), false));
  EXPECT_EQ(state.current()->localizedName, "English (US)");
  // Hangul again: a new engine, in the mode new engines start in.
  state.setEngine(kHangul, InputMode::Latin);
  EXPECT_EQ(state.current()->localizedName, "English (US)");
  // Nobody can be told to serve it: modes are not followed, and that is said.
  state.setEngineSender("");
  EXPECT_FALSE(state.onProperties(":1.8", property("InputMode", 1, "한"), false));
  EXPECT_EQ(notes.size(), 1u);
  state.setEngine(std::nullopt, std::nullopt);
  EXPECT_EQ(state.current(), std::nullopt);
}

}  // namespace
}  // namespace vellicor::qt
