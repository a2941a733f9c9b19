// The vellicor executable beside buses that misbehave, under tools/x-session
// and dbus-run-session: buses stopped while it starts, one nested message as
// deep as D-Bus allows from another client, addresses that would run a
// program, ibus-daemon stopped and started again at a fixed address, and
// Plasma's layout service appearing late beside a KWin that does not answer.

#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "ibus_client.h"
#include "process_memory.h"
#include "program_session.h"
#include "running_program.h"
#include "scratch.h"
#include "support/fake_bus.h"

namespace vellicor::e2e {
namespace {

const std::string kHangul = "Hangul";

std::string tempPath(const std::string& name) {
  return scratchPath("buses-" + name);
}

// A session bus of the test's own, with nothing on it.
class PrivateBus {
 public:
  PrivateBus()
      : socket_(tempPath("session.bus")),
        daemon_({"dbus-daemon", "--session", "--nofork", "--address=unix:path=" + socket_}) {
    eventually([&] { return std::filesystem::exists(socket_); });
  }
  ~PrivateBus() {
    daemon_.signal(SIGCONT);
    daemon_.signal(SIGTERM);
    daemon_.wait(5);
    std::filesystem::remove(socket_);
  }
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  std::string address() const { return "unix:path=" + socket_; }
  void stop() { daemon_.signal(SIGSTOP); }
  void resume() { daemon_.signal(SIGCONT); }

 private:
  std::string socket_;
  Child daemon_;
};

// `levels` arrays of variants, each holding the next one and a text, around
// arrays of arrays of arrays of numbers: at 20 levels, 44 containers in all,
// a message any client may send.
QVariant deepValue(int levels) {
  using Numbers = QList<QList<QList<int>>>;
  qDBusRegisterMetaType<QList<int>>();
  qDBusRegisterMetaType<QList<QList<int>>>();
  qDBusRegisterMetaType<Numbers>();
  QDBusArgument numbers;
  numbers << Numbers{{{1, 2}}};
  QVariant inner = QVariant::fromValue(numbers);
  for (int level = 0; level < levels; ++level) {
    QDBusArgument array;
    array.beginArray(QMetaType::fromType<QDBusVariant>());
    array << QDBusVariant(inner) << QDBusVariant(QStringLiteral("level"));
    array.endArray();
    inner = QVariant::fromValue(array);
  }
  return inner;
}

class Buses : public ProgramSession {
 protected:
  void TearDown() override { resetKeyboard(x); }

  // A switch of the keyboard's group reaches the log.
  void expectGroupSwitchLogged(RunningProgram& program) {
    x.lockGroup(1);
    EXPECT_TRUE(program.waitForLog("입력 언어 변경: " + kEnglish + " → " + kKorean))
        << program.log();
  }
};

// Stopped as a service can be at login: the program starts, follows the
// keyboard and quits on SIGTERM without waiting for either; once they go on,
// IBus is followed.
TEST_F(Buses, StoppedBusesAtStartUpHoldNothingUp) {
  PrivateBus session;
  IBusDaemon ibus("stopped");
  std::string why;
  ASSERT_TRUE(ibus.start(why)) << why;
  // ibus-daemon sets the keymap to its engine's layout alone.
  resetKeyboard(x);
  session.stop();
  ibus.process()->signal(SIGSTOP);
  // Qt's own IBus module would connect at start-up too.
  RunningProgram program("stopped", {"DBUS_SESSION_BUS_ADDRESS=" + session.address(),
                                     "IBUS_ADDRESS=" + ibus.address(), "QT_IM_MODULE=ibus"});
  EXPECT_TRUE(program.started(5.0)) << "no start-up line while the buses are stopped";
  expectGroupSwitchLogged(program);
  EXPECT_TRUE(program.waitForLog("the session bus does not answer")) << program.log();

  ibus.process()->signal(SIGCONT);
  session.resume();
  EXPECT_TRUE(program.waitForLog("입력 언어 변경: " + kKorean + " → " + kEnglish))
      << "IBus's engine not followed once the daemon went on: " << program.log();
  expectQuitOnTerminate(program);

  // And a program stopped this way quits at once, at any moment.
  session.stop();
  RunningProgram early("stopped-early", {"DBUS_SESSION_BUS_ADDRESS=" + session.address()});
  pause(0.2);
  expectQuitOnTerminate(early);
}

// A runtime folder of the user's own, private, as a login makes it.
std::string runtimeFolder(const std::string& name) {
  const std::string folder = tempPath(name);
  std::filesystem::create_directories(folder);
  chmod(folder.c_str(), 0700);
  return folder;
}

// A server that authenticates its clients and then never answers them, as a
// bus whose main loop hangs does, given as IBus's address and found as the
// session's bus in the runtime folder: the program starts, follows the
// keyboard and quits on SIGTERM all the same.
TEST_F(Buses, BusesThatAuthenticateAndThenStallHoldNothingUp) {
  using qt::FakeBus;
  const std::string runtime = runtimeFolder("stalled-run");
  const FakeBus session({false, runtime + "/bus"}, FakeBus::Behaviour::AuthenticatesThenStalls);
  const FakeBus ibus({false, tempPath("stalled-ibus")},
                     FakeBus::Behaviour::AuthenticatesThenStalls);
  ASSERT_TRUE(session.listening() && ibus.listening());
  RunningProgram program("stalled", {"-DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR=" + runtime,
                                     "IBUS_ADDRESS=" + ibus.address()});
  EXPECT_TRUE(program.started(5.0)) << "no start-up line beside stalled buses: " << program.log();
  EXPECT_TRUE(program.waitForLog("the session bus does not answer")) << program.log();
  expectGroupSwitchLogged(program);
  EXPECT_GE(session.clients(), 1);
  EXPECT_TRUE(eventually([&] { return ibus.clients() >= 1; }));
  expectQuitOnTerminate(program);
}

// The runtime folder's bus is used only when it is the user's own socket in
// a private folder: one others could have put there is never talked to.
TEST_F(Buses, ARuntimeBusOthersCouldHavePutThereIsPassedOverAndSaidOnce) {
  using qt::FakeBus;
  const std::string exposed = runtimeFolder("exposed-run");
  chmod(exposed.c_str(), 0755);
  const FakeBus open({false, exposed + "/bus"}, FakeBus::Behaviour::Answers);
  ASSERT_TRUE(open.listening());
  {
    RunningProgram program("exposed", {"-DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR=" + exposed});
    ASSERT_TRUE(program.started()) << program.log();
    EXPECT_EQ(program.linesWith("session bus: passed over " + exposed + "/bus: its folder " +
                                exposed + " is not private to this user"),
              1)
        << program.log();
    expectQuitOnTerminate(program);
  }
  EXPECT_EQ(open.clients(), 0);
  if (getuid() != 0) {
    return;  // only root can give a socket to another user
  }
  const std::string foreign = runtimeFolder("foreign-run");
  const FakeBus theirs({false, foreign + "/bus"}, FakeBus::Behaviour::Answers);
  ASSERT_TRUE(theirs.listening());
  ASSERT_EQ(chown((foreign + "/bus").c_str(), 65534, 65534), 0);
  RunningProgram program("foreign", {"-DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR=" + foreign});
  ASSERT_TRUE(program.started()) << program.log();
  EXPECT_EQ(
      program.linesWith("session bus: passed over " + foreign + "/bus: it belongs to user 65534"),
      1)
      << program.log();
  expectQuitOnTerminate(program);
  EXPECT_EQ(theirs.clients(), 0);
}

TEST_F(Buses, ADeeplyNestedPropertyFromAnyClientChangesNothingAndTogglesGoOn) {
  IBusDaemon ibus("deep");
  std::string why;
  ASSERT_TRUE(ibus.start(why)) << why;
  RunningProgram program("deep", {"IBUS_ADDRESS=" + ibus.address()});
  ASSERT_TRUE(program.started()) << program.log();
  ASSERT_TRUE(ibus.selectEngine("hangul"));
  IBusClient panel(ibus.address());
  ASSERT_TRUE(panel.connected());
  // One switch of the engine's mode, and the line it brings.
  const auto toggle = [&](unsigned state, const std::string& line) {
    return panel.toggleInputMode(state) && program.waitForLog(line);
  };
  ASSERT_TRUE(toggle(1, "→ " + kHangul + "\n")) << program.log();

  IBusClient stranger(ibus.address());
  ASSERT_TRUE(stranger.connected());
  for (int i = 0; i < 5; ++i) {
    stranger.sendUpdateProperty(deepValue(20));
  }
  EXPECT_TRUE(toggle(0, kHangul + " → " + kEnglish + "\n"))
      << "the toggle after the nested messages was not logged: " << program.log();
  EXPECT_LT(tools::processMemory(program.pid()).privateDirtyKb, 100 * 1024);
  EXPECT_EQ(program.linesWith("입력 언어 변경"), 2) << program.log();
  expectQuitOnTerminate(program);
}

TEST_F(Buses, AnAddressThatWouldRunAProgramRunsNothing) {
  const std::string ranIBus = tempPath("ran-ibus");
  const std::string ranSession = tempPath("ran-session");
  const std::string ranFile = tempPath("ran-file");
  {
    RunningProgram program(
        "unixexec", {"IBUS_ADDRESS=unixexec:path=/usr/bin/touch,argv1=" + ranIBus,
                     "DBUS_SESSION_BUS_ADDRESS=unixexec:path=/usr/bin/touch,argv1=" + ranSession});
    ASSERT_TRUE(program.started()) << program.log();
    expectGroupSwitchLogged(program);
    EXPECT_EQ(program.linesWith("IBus: refused the address unixexec:"), 1) << program.log();
    EXPECT_EQ(program.linesWith("session bus: refused the address unixexec:"), 1) << program.log();
    expectQuitOnTerminate(program);
  }
  resetKeyboard(x);
  // The address in IBus's address file, as ibus-daemon would write it.
  const std::string addressFile = tempPath("ibus-address");
  std::ofstream(addressFile) << "IBUS_ADDRESS=unixexec:path=/usr/bin/touch,argv1=" << ranFile
                             << "\n";
  RunningProgram program("unixexec-file", {"-IBUS_ADDRESS", "IBUS_ADDRESS_FILE=" + addressFile});
  ASSERT_TRUE(program.started()) << program.log();
  expectGroupSwitchLogged(program);
  EXPECT_EQ(program.linesWith("IBus: refused the address unixexec:"), 1) << program.log();
  expectQuitOnTerminate(program);
  EXPECT_FALSE(std::filesystem::exists(ranIBus));
  EXPECT_FALSE(std::filesystem::exists(ranSession));
  EXPECT_FALSE(std::filesystem::exists(ranFile));
  std::filesystem::remove(addressFile);
}

// ibus-daemon started again at the address IBUS_ADDRESS names: found again,
// with no change announced while it restarts with the same engine.
TEST_F(Buses, IBusRestartedAtAFixedAddressIsFollowedAgainWithoutAPhantomSwitch) {
  IBusDaemon ibus("restart");
  std::string why;
  ASSERT_TRUE(ibus.start(why)) << why;
  RunningProgram program("restart", {"IBUS_ADDRESS=" + ibus.address()});
  ASSERT_TRUE(program.waitForLog("Vellicor 앱 시작. 현재: " + kEnglish)) << program.log();
  // The keyboard's own group differs from what IBus's engine types (IBus
  // keeps a layout of its own): while the daemon is away, it would speak.
  resetKeyboard(x);
  x.lockGroup(1);
  pause(0.3);

  ASSERT_TRUE(ibus.start(why)) << why;  // stopped and started again with the same engine
  pause(1.0);
  EXPECT_EQ(program.linesWith("입력 언어 변경"), 0) << program.log();

  ASSERT_TRUE(ibus.selectEngine("hangul"));
  IBusClient panel(ibus.address());
  EXPECT_TRUE(panel.toggleInputMode(1) && program.waitForLog(kEnglish + " → " + kHangul + "\n"))
      << "a toggle after the restart was not logged: " << program.log();

  // Gone for good, it hands over to the keyboard's group after the grace.
  ibus.stop();
  EXPECT_TRUE(program.waitForLog(kHangul + " → " + kKorean + "\n", 10.0)) << program.log();
  EXPECT_EQ(program.linesWith("입력 언어 변경"), 2) << program.log();
  expectQuitOnTerminate(program);
}

// Started while IBus's engine names another source than the keyboard's group,
// the program starts with IBus's: the first change it announces is the next
// switch, made from that name.
TEST_F(Buses, StartedBesideIBusItStartsWithIBussSourceAndAnnouncesNoSwitchForIt) {
  IBusDaemon ibus("first");
  std::string why;
  ASSERT_TRUE(ibus.start(why)) << why;
  resetKeyboard(x);
  x.lockGroup(1);
  RunningProgram program("first", {"IBUS_ADDRESS=" + ibus.address()});
  ASSERT_TRUE(program.started()) << program.log();
  EXPECT_EQ(program.linesWith("Vellicor 앱 시작. 현재: " + kEnglish), 1) << program.log();
  ASSERT_TRUE(ibus.selectEngine("hangul"));
  IBusClient panel(ibus.address());
  ASSERT_TRUE(panel.toggleInputMode(1) && program.waitForLog("→ " + kHangul + "\n"))
      << program.log();
  EXPECT_EQ(program.linesWith("입력 언어 변경"), 1) << program.log();
  EXPECT_EQ(program.linesWith("입력 언어 변경: " + kEnglish + " → " + kHangul), 1) << program.log();
  expectQuitOnTerminate(program);
}

// Given its display with -display while DISPLAY names another, the program
// goes by the one given everywhere: IBus's address file for that display
// among them.
TEST_F(Buses, TheDisplayGivenWithDashDisplayIsTheOneEverythingGoesBy) {
  IBusDaemon ibus("display");
  std::string why;
  ASSERT_TRUE(ibus.start(why)) << why;
  resetKeyboard(x);
  const std::string display = std::getenv("DISPLAY");
  RunningProgram program("dash-display", {"-IBUS_ADDRESS", "-IBUS_ADDRESS_FILE", "DISPLAY=:97"},
                         {"-display", display});
  ASSERT_TRUE(program.started()) << program.log();
  ASSERT_TRUE(ibus.selectEngine("hangul"));
  IBusClient panel(ibus.address());
  EXPECT_TRUE(panel.toggleInputMode(1) && program.waitForLog(kEnglish + " → " + kHangul + "\n"))
      << "IBus, found through the display's address file, was not followed: " << program.log();
  expectQuitOnTerminate(program);
}

// In a Plasma session on Wayland, Plasma's layout service is followed once it
// appears, also after the program; a KWin that never says which output is
// active holds no switch up (the panel then goes where the pointer is); and
// once the service is gone, the keyboard's own group speaks again.
TEST_F(Buses, PlasmasLayoutServiceIsFollowedOnceItAppearsAndABusyKWinHoldsNoSwitchUp) {
  const Screen screen(x);
  RunningProgram program("plasma", {"XDG_CURRENT_DESKTOP=KDE", "XDG_SESSION_TYPE=wayland"});
  ASSERT_TRUE(program.started()) << program.log();
  EXPECT_EQ(program.linesWith("followed through Plasma's layout service"), 1) << program.log();
  // No service yet: the keyboard's group is followed.
  expectGroupSwitchLogged(program);
  x.lockGroup(0);
  ASSERT_TRUE(program.waitForLog("입력 언어 변경: " + kKorean + " → " + kEnglish)) << program.log();
  ASSERT_TRUE(eventually([&] { return screen.hud() == 0; }, 5));

  Child plasma({standIn(), "plasma"});
  const auto setLayout = [](int layout) {
    return run({"gdbus", "call", "--session", "-d", "org.kde.keyboard", "-o", "/Layouts", "-m",
                "org.kde.KeyboardLayouts.setLayout", std::to_string(layout)});
  };
  ASSERT_TRUE(eventually([&] { return setLayout(0); }, 5));
  pause(0.5);
  // The service names what the keyboard did: nothing to announce.
  EXPECT_EQ(program.linesWith("입력 언어 변경"), 2) << program.log();
  ASSERT_TRUE(setLayout(1));
  // Were the switch to wait for KWin's answer, it would come when the call
  // times out, after 25 s.
  EXPECT_TRUE(eventually([&] { return screen.hudText() == kKorean; }, 3)) << program.log();
  EXPECT_EQ(program.linesWith("입력 언어 변경: " + kEnglish + " → " + kKorean), 2) << program.log();
  // While the service speaks, the keyboard's group changes nothing.
  x.lockGroup(1);
  x.lockGroup(0);
  pause(0.5);
  EXPECT_EQ(program.linesWith("입력 언어 변경"), 3) << program.log();

  // Gone: after the grace for a restart, the keyboard's group (us) speaks.
  plasma.signal(SIGTERM);
  EXPECT_TRUE(eventually(
      [&] { return program.linesWith("입력 언어 변경: " + kKorean + " → " + kEnglish) == 2; }, 6))
      << program.log();
  EXPECT_EQ(program.linesWith("입력 언어 변경"), 4) << program.log();
  expectQuitOnTerminate(program);
}

// A KWin that floods layoutChanged with a layout it does not list is asked
// for its layouts once at a time, not once a signal; and a layout named at a
// megabyte is shown and logged bounded, the next switch announced at once.
TEST_F(Buses, AFloodFromKWinAsksOneQuestionAtATimeAndAGiantLayoutNameIsBounded) {
  RunningProgram program("plasma-flood", {"XDG_CURRENT_DESKTOP=KDE", "XDG_SESSION_TYPE=wayland"});
  ASSERT_TRUE(program.started()) << program.log();
  Child plasma({standIn(), "plasma"});
  const auto plasmaCall = [](const std::vector<std::string>& call) {
    std::vector<std::string> argv = {"gdbus", "call", "--session", "-d", "org.kde.keyboard"};
    argv.insert(argv.end(), call.begin(), call.end());
    return run(argv);
  };
  const auto listsRead = [] {
    const std::string out = commandOutput(
        "gdbus call --session -d org.kde.keyboard -o /StandIn -m org.vellicor.StandIn.ListsRead");
    return out.empty() ? -1 : std::atoi(out.c_str() + 1);
  };
  const auto setLayout = [&](int layout) {
    return plasmaCall(
        {"-o", "/Layouts", "-m", "org.kde.KeyboardLayouts.setLayout", std::to_string(layout)});
  };
  ASSERT_TRUE(eventually([&] { return setLayout(1); }, 5));
  ASSERT_TRUE(program.waitForLog(kEnglish + " → " + kKorean + "\n")) << program.log();
  const int before = listsRead();
  ASSERT_GE(before, 1);
  ASSERT_TRUE(plasmaCall({"-o", "/StandIn", "-m", "org.vellicor.StandIn.Flood", "5000"}));
  ASSERT_TRUE(setLayout(0));
  ASSERT_TRUE(program.waitForLog(kKorean + " → " + kEnglish + "\n")) << program.log();
  EXPECT_LE(listsRead() - before, 20) << "a reading of the layouts for each signal";

  ASSERT_TRUE(
      plasmaCall({"-o", "/StandIn", "-m", "org.vellicor.StandIn.NameSecondLayout", "1000000"}));
  ASSERT_TRUE(eventually([&] { return listsRead() > before + 1; }));
  ASSERT_TRUE(setLayout(1));
  const std::string shown = "Korean " + std::string(248, 'x') + "\u2026";
  ASSERT_TRUE(program.waitForLog(kEnglish + " → " + shown + "\n")) << program.log().size();
  ASSERT_TRUE(setLayout(0));
  EXPECT_TRUE(program.waitForLog(shown + " → " + kEnglish + "\n", 2.0)) << program.log().size();
  EXPECT_LT(program.log().size(), 8192u);
  expectQuitOnTerminate(program);
}

}  // namespace
}  // namespace vellicor::e2e
