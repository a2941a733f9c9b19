// The end-to-end tests run on a real X display, started by tools/x-session.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "program_under_test.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (std::getenv("DISPLAY") == nullptr) {
    std::fprintf(stderr, "these tests need an X display: run them under tools/x-session\n");
    return 1;
  }
  vellicor::e2e::ProgramUnderTest::prepareQt();
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
