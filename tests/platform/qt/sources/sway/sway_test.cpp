#include <gtest/gtest.h>

#include <string>

#include "platform/qt/sources/sway/sway_ipc.h"
#include "platform/qt/sources/sway/sway_json.h"

namespace vellicor::qt {
namespace {

TEST(SwayIpc, MessagesAreReadWholeWhateverPiecesTheyArriveIn) {
  const std::string event = R"js({"change":"xkb_layout"})js";
  const std::string first = swayMessage(kSwayGetInputs, "[]");
  EXPECT_EQ(first.substr(0, 6), "i3-ipc");
  EXPECT_EQ(first.size(), 14u + 2u);
  const std::string stream = first + swayMessage(kSwayInputEvent, event);
  SwayReader reader;
  // One byte at a time: nothing until a message is whole.
  int read = 0;
  for (const char byte : stream) {
    ASSERT_TRUE(reader.feed(std::string_view(&byte, 1)));
    while (auto message = reader.next()) {
      EXPECT_EQ(message->type, read == 0 ? kSwayGetInputs : kSwayInputEvent);
      EXPECT_EQ(message->payload, read == 0 ? "[]" : event);
      ++read;
    }
  }
  EXPECT_EQ(read, 2);
}

TEST(SwayIpc, AStreamThatIsNotTheProtocolBreaksForGood) {
  SwayReader wrongMagic;
  wrongMagic.feed("HTTP/1.1 200 OK\r\n\r\n");
  EXPECT_FALSE(wrongMagic.next());
  EXPECT_TRUE(wrongMagic.broken());
  EXPECT_FALSE(wrongMagic.feed(swayMessage(kSwayGetInputs, "[]")));
  EXPECT_FALSE(wrongMagic.next());

  // A length past the limit is refused before anything is buffered for it.
  std::string huge = "i3-ipc";
  const std::uint32_t length = 64u << 20, type = kSwayGetInputs;
  huge.append(reinterpret_cast<const char*>(&length), 4);
  huge.append(reinterpret_cast<const char*>(&type), 4);
  SwayReader tooLong;
  tooLong.feed(huge);
  EXPECT_FALSE(tooLong.next());
  EXPECT_TRUE(tooLong.broken());
}

TEST(SwayJson, TheKeyboardsTheirLayoutsAndTheFocusedOutputAreRead) {
  const QByteArray inputs = R"js([
    {"identifier": "0:0:wlr_virtual_pointer", "type": "pointer"},
    {"identifier": "0:0:virtual_keyboard", "type": "keyboard",
     "xkb_active_layout_name": "English (US)"},
    {"identifier": "1:1:AT_Translated_Set_2_keyboard", "type": "keyboard",
     "xkb_active_layout_index": 1, "xkb_active_layout_name": "Korean (101/104-key compatible)"}
  ])js";
  const auto keyboards = swayKeyboards(inputs);
  ASSERT_EQ(keyboards.size(), 2u);
  EXPECT_TRUE(keyboards[0].isVirtual);
  EXPECT_FALSE(keyboards[1].isVirtual);
  // The keyboard the user types on is the first one no client made.
  const auto typing = swayTypingKeyboard(keyboards);
  ASSERT_TRUE(typing);
  EXPECT_EQ(typing->identifier, "1:1:AT_Translated_Set_2_keyboard");
  EXPECT_EQ(typing->layout->localizedName, "Korean (101/104-key compatible)");
  // With only a client's keyboard, that one.
  EXPECT_EQ(swayTypingKeyboard({keyboards[0]})->identifier, "0:0:virtual_keyboard");
  EXPECT_FALSE(swayTypingKeyboard({SwayKeyboard{"1:1:kbd", false, std::nullopt}}));

  const auto event = swayKeyboardEvent(R"js({"change": "xkb_layout",
    "input": {"identifier": "1:1:kbd", "type": "keyboard",
              "xkb_active_layout_name": "English (US)"}})js");
  ASSERT_TRUE(event);
  EXPECT_EQ(event->change, "xkb_layout");
  EXPECT_EQ(event->keyboard.identifier, "1:1:kbd");
  EXPECT_EQ(event->keyboard.layout->localizedName, "English (US)");
  EXPECT_TRUE(swayKeyboardEvent(R"js({"change": "xkb_keymap", "input": {"identifier":
    "0:0:wlr_virtual_keyboard_v1", "type": "keyboard"}})js")
                  ->keyboard.isVirtual);
  // Other devices are no keyboard's events.
  EXPECT_FALSE(swayKeyboardEvent(R"js({"change": "xkb_layout", "input": {"type": "pointer"}})js"));

  const QByteArray outputs = R"js([
    {"name": "X11-1", "focused": false, "rect": {"x": 0, "y": 0, "width": 1280, "height": 800}},
    {"name": "X11-2", "focused": true, "rect": {"x": 1280, "y": 0, "width": 1280, "height": 800}}
  ])js";
  EXPECT_EQ(swayFocusedOutput(outputs), (OutputRect{1280, 0, 1280, 800}));
}

TEST(SwayJson, AnswersOfAnotherShapeNameNothing) {
  const QByteArray deep(100000, '[');
  for (const QByteArray& payload :
       {QByteArray(), QByteArray("null"), QByteArray("{}"), QByteArray("[1,2]"),
        QByteArray(R"js([{"type": "keyboard"}])js"),
        QByteArray(R"js([{"type": "keyboard", "xkb_active_layout_name": 7}])js"),
        QByteArray(R"js([{"type": "keyboard", "xkb_active_layout_name": ""}])js"), deep}) {
    EXPECT_FALSE(swayTypingKeyboard(swayKeyboards(payload))) << payload.left(40).toStdString();
    const auto event = swayKeyboardEvent(payload);
    EXPECT_FALSE(event && event->keyboard.layout) << payload.left(40).toStdString();
    EXPECT_FALSE(swayFocusedOutput(payload)) << payload.left(40).toStdString();
  }
  EXPECT_FALSE(swayFocusedOutput(R"js([{"focused": true, "rect": {"x": 0, "width": 0}}])js"));
}

}  // namespace
}  // namespace vellicor::qt
