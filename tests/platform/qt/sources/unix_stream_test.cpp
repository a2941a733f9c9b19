// A local stream read and written from the main loop: everything written
// arrives in order even when the socket cannot take it all at once, what
// arrives is read, and an end (a peer that closes, a socket nobody listens
// at) reaches the owner once, never from inside the constructor.

#include "platform/qt/sources/unix_stream.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/local_listener.h"

namespace vellicor::qt {
namespace {

bool runUntil(const std::function<bool()>& done, int mostMs = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < mostMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return done();
}

// Long enough for anything queued to have run.
void settle() {
  runUntil([] { return false; }, 200);
}

struct Seen {
  int connected = 0;
  int readable = 0;
  std::vector<std::string> lost;
  UnixStream::Handlers handlers() {
    return {[this] { ++connected; }, [this] { ++readable; },
            [this](const std::string& why) { lost.push_back(why); }};
  }
};

TEST(UnixStream, BytesGoBothWaysInOrderAndAPeerThatClosesEndsItOnce) {
  const LocalListener listener("vellicor-stream-");
  ASSERT_TRUE(listener.listening());
  Seen seen;
  UnixStream stream(listener.address(), seen.handlers());
  EXPECT_EQ(seen.connected, 0);
  ASSERT_TRUE(runUntil([&] { return seen.connected == 1; }));
  const int peer = listener.accept();
  ASSERT_GE(peer, 0);

  // Far more than a socket's buffer: the rest waits and follows in order.
  std::string sent(4 << 20, '\0');
  for (std::size_t i = 0; i < sent.size(); ++i) {
    sent[i] = static_cast<char>(i * 7 / 3);
  }
  stream.write(sent);
  std::string received;
  std::atomic<bool> finished{false};
  std::thread reader([&] {
    char buffer[65536];
    while (received.size() < sent.size()) {
      const ssize_t n = ::read(peer, buffer, sizeof buffer);
      if (n <= 0) {
        break;
      }
      received.append(buffer, static_cast<std::size_t>(n));
    }
    finished = true;
  });
  runUntil([&] { return finished.load(); });
  // Unblocks a reader still waiting for bytes that never came.
  ::shutdown(peer, SHUT_RD);
  reader.join();
  EXPECT_TRUE(received == sent) << "received " << received.size() << " of " << sent.size();

  ASSERT_EQ(::write(peer, "hello", 5), 5);
  ASSERT_TRUE(runUntil([&] { return seen.readable > 0; }));
  EXPECT_EQ(stream.read(3), "hel");
  EXPECT_EQ(stream.read(64), "lo");
  EXPECT_EQ(stream.read(64), "");

  ::close(peer);
  ASSERT_TRUE(runUntil([&] {
    stream.read(64);
    return !seen.lost.empty();
  }));
  settle();
  ASSERT_EQ(seen.lost.size(), 1u);
  EXPECT_EQ(seen.lost[0], "") << "a peer that closes is said as such";
  EXPECT_EQ(stream.read(64), "");
  stream.write("after the end");  // goes nowhere, and harms nothing
}

TEST(UnixStream, NobodyListeningIsSaidOnceAfterTheConstructorAndCloseSilencesIt) {
  Seen seen;
  UnixStream stream({false, "/nonexistent/vellicor/socket"}, seen.handlers());
  EXPECT_TRUE(seen.lost.empty());
  ASSERT_TRUE(runUntil([&] { return !seen.lost.empty(); }));
  settle();
  ASSERT_EQ(seen.lost.size(), 1u);
  // In the C library's words, which follow the locale Qt sets.
  EXPECT_EQ(seen.lost[0], std::string("connect: ") + std::strerror(ENOENT));
  EXPECT_EQ(seen.connected, 0);

  Seen quiet;
  UnixStream closed({true, "vellicor-stream-nobody-" + std::to_string(getpid())}, quiet.handlers());
  closed.close();
  settle();
  EXPECT_TRUE(quiet.lost.empty());
  EXPECT_EQ(quiet.connected, 0);
}

// As the sway tracker reads: a chunk at a time from inside the readable
// handler, which comes again while bytes are left; the end met there closes
// the stream from inside its own notification.
TEST(UnixStream, WhatIsLeftUnreadIsNotifiedAgainAndAnEndMetWhileReadingIsSaidOnce) {
  const LocalListener listener("vellicor-stream-inside-");
  ASSERT_TRUE(listener.listening());
  std::string received;
  std::vector<std::string> lost;
  UnixStream* self = nullptr;
  UnixStream stream(listener.address(), {[] {}, [&] { received += self->read(2); },
                                         [&](const std::string& why) {
                                           lost.push_back(why);
                                           self->close();
                                         }});
  self = &stream;
  const int peer = listener.accept();
  ASSERT_GE(peer, 0);
  ASSERT_EQ(::write(peer, "hello", 5), 5);
  ::close(peer);
  ASSERT_TRUE(runUntil([&] { return !lost.empty(); }));
  settle();
  EXPECT_EQ(received, "hello");
  EXPECT_EQ(lost, std::vector<std::string>{""});
}

}  // namespace
}  // namespace vellicor::qt
