#include "platform/qt/sources/dbus/dbus_hello.h"

#include <gtest/gtest.h>

#include <string>

namespace vellicor::qt {
namespace {

// A message's fixed header: byte order, type, flags, version, body length,
// serial, length of the header fields (little-endian numbers).
std::string header(char type, unsigned char fields, unsigned char body, char order = 'l') {
  std::string h(16, '\0');
  h[0] = order;
  h[1] = type;
  h[3] = 1;
  h[order == 'l' ? 4 : 7] = static_cast<char>(body);
  h[8] = 1;
  h[order == 'l' ? 12 : 15] = static_cast<char>(fields);
  return h;
}

// The fields padded to 8 bytes, then the body.
std::string message(char type, unsigned char fields, unsigned char body, char order = 'l') {
  return header(type, fields, body, order) + std::string((fields + 7) / 8 * 8 + body, 'x');
}

TEST(DBusHello, TheCallIsAHelloToTheBusInTheWireFormat) {
  const std::string hello = dbusHelloMessage();
  ASSERT_GE(hello.size(), 16u);
  EXPECT_EQ(hello.size() % 8, 0u);
  EXPECT_EQ(hello.substr(0, 4), std::string("l\x01\x00\x01", 4));
  const unsigned fields = static_cast<unsigned char>(hello[12]);
  EXPECT_EQ((16 + fields + 7) / 8 * 8, hello.size());  // fields padded, no body
  for (const char* text : {"/org/freedesktop/DBus", "org.freedesktop.DBus", "Hello"}) {
    EXPECT_NE(hello.find(text), std::string::npos) << text;
  }
}

TEST(DBusHello, AReplyOrAnErrorIsAnAnswerSignalsBeforeItAreSkipped) {
  EXPECT_EQ(dbusHelloAnswer(message(2, 40, 12)), HelloAnswer::Answered);
  EXPECT_EQ(dbusHelloAnswer(message(3, 40, 12, 'B')), HelloAnswer::Answered);
  EXPECT_EQ(dbusHelloAnswer(message(4, 30, 20) + message(4, 8, 0, 'B') + header(2, 0, 0)),
            HelloAnswer::Answered);
  // Until the reply's header is whole, more is needed.
  EXPECT_EQ(dbusHelloAnswer(""), HelloAnswer::Incomplete);
  EXPECT_EQ(dbusHelloAnswer(header(2, 0, 0).substr(0, 15)), HelloAnswer::Incomplete);
  EXPECT_EQ(dbusHelloAnswer(message(4, 30, 20).substr(0, 40)), HelloAnswer::Incomplete);
}

TEST(DBusHello, WhatIsNoBusMessageOrTooLongIsBroken) {
  EXPECT_EQ(dbusHelloAnswer("OK 0123456789abcdef\r\nxxxxxxxx"), HelloAnswer::Broken);
  EXPECT_EQ(dbusHelloAnswer(std::string("l\x02\x00\x02", 4) + std::string(12, '\0')),
            HelloAnswer::Broken);                                     // protocol version 2
  EXPECT_EQ(dbusHelloAnswer(message(1, 8, 0)), HelloAnswer::Broken);  // a call to the client
  // A signal larger than the limit, and signals that never end in a reply.
  EXPECT_EQ(dbusHelloAnswer(header(4, 200, 200), 256), HelloAnswer::Broken);
  std::string signals;
  while (signals.size() < 300) {
    signals += message(4, 8, 8);
  }
  EXPECT_EQ(dbusHelloAnswer(signals, 256), HelloAnswer::Broken);
}

}  // namespace
}  // namespace vellicor::qt
