#include "platform/qt/qt_application.h"

#include "platform/common/macos_spellings.h"

#include <pthread.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vellicor::qt {

namespace {

sigset_t terminationSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  return set;
}

}  // namespace

// Reads the blocked termination signals from a signalfd on the main thread.
struct QtApplication::Signals {
  int fd = -1;
  std::unique_ptr<QSocketNotifier> notifier;

  explicit Signals(QtApplication& app) {
    const sigset_t set = terminationSignals();
    fd = ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd < 0) {
      return;
    }
    notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [this, &app] {
      signalfd_siginfo info;
      while (::read(fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
      }
      app.terminate();
    });
  }
  ~Signals() {
    notifier.reset();
    if (fd >= 0) {
      ::close(fd);
    }
  }
  Signals(const Signals&) = delete;
  Signals& operator=(const Signals&) = delete;
};

void QtApplication::blockTerminationSignals() {
  const sigset_t set = terminationSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

QtApplication::QtApplication() : signals_(std::make_unique<Signals>(*this)) {}

QtApplication::~QtApplication() = default;

void QtApplication::holdLaunch(int ms) {
  if (heldOnce_ || launched_) {
    return;
  }
  heldOnce_ = true;
  held_ = true;
  QTimer::singleShot(ms, [this] { releaseLaunch(); });
}

void QtApplication::releaseLaunch() {
  if (!held_) {
    return;
  }
  held_ = false;
  // From the loop, once whatever released it is done: a tracker whose first
  // reading settles it may store that reading only after it says so, and
  // the launch is to start with it.
  if (running_) {
    QTimer::singleShot(0, QCoreApplication::instance(), [this] { launch(); });
  }
}

void QtApplication::launch() {
  if (launched_ || held_ || terminating_) {
    return;
  }
  launched_ = true;
  if (auto d = delegate_.lock()) {
    d->applicationDidFinishLaunching();
  }
  for (auto& work : afterLaunch_) {
    QTimer::singleShot(0, QCoreApplication::instance(), std::move(work));
  }
  afterLaunch_.clear();
}

void QtApplication::afterLaunch(std::function<void()> work) {
  if (launched_) {
    QTimer::singleShot(0, QCoreApplication::instance(), std::move(work));
  } else {
    afterLaunch_.push_back(std::move(work));
  }
}

void QtApplication::run(const std::shared_ptr<ApplicationDelegate>& delegate) {
  delegate_ = delegate;
  running_ = true;
  QTimer::singleShot(0, [this] { launch(); });
  const int status = QCoreApplication::exec();
  if (!terminating_) {
    // The loop ended without terminate (the session ended it): still say goodbye.
    terminating_ = true;
    if (auto d = delegate_.lock()) {
      d->applicationWillTerminate();
    }
  }
  exitStatus_ = status;
}

void QtApplication::terminate() {
  if (terminating_) {
    return;
  }
  terminating_ = true;
  if (auto d = delegate_.lock()) {
    d->applicationWillTerminate();
  }
  QCoreApplication::exit(0);
}

void QtApplication::startAgain(const std::vector<std::string>& arguments, const char* mark) {
  if (terminating_ || arguments.empty()) {
    return;
  }
  terminating_ = true;
  if (auto d = delegate_.lock()) {
    d->applicationWillTerminate();
  }
  std::vector<char*> argv;
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  setenv(mark, "1", 1);
  // The very executable this process runs, whatever its name on PATH now.
  execv("/proc/self/exe", argv.data());
  // Not started again: this one ends as a terminated one does.
  std::fprintf(stderr, "vellicor: could not start again: %s\n", std::strerror(errno));
  QCoreApplication::exit(0);
}

std::string QtApplication::didActivateApplicationNotification() const {
  return kMacosDidActivateApplication;
}

bool QtApplication::sendAction(std::string_view selector) {
  auto d = delegate_.lock();
  return d && d->performAction(selector);
}

}  // namespace vellicor::qt
