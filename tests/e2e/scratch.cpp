#include "scratch.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace vellicor::e2e {
namespace {

// Made at the first path asked for; its end is decided once the run is over.
class ScratchFolder final : public ::testing::Environment {
 public:
  const std::string& path() {
    if (path_.empty()) {
      char pattern[] = "/tmp/vellicor-e2e-XXXXXX";
      path_ = mkdtemp(pattern) != nullptr ? pattern : "/tmp";
    }
    return path_;
  }

  void TearDown() override {
    if (path_.empty() || path_ == "/tmp") {
      return;
    }
    if (::testing::UnitTest::GetInstance()->Passed()) {
      std::error_code ignored;
      std::filesystem::remove_all(path_, ignored);
    } else {
      std::printf("the run's files are kept in %s\n", path_.c_str());
    }
  }

 private:
  std::string path_;
};

// Registered before the tests run, so that its TearDown follows them.
ScratchFolder* const folder =
    static_cast<ScratchFolder*>(::testing::AddGlobalTestEnvironment(new ScratchFolder));

}  // namespace

std::string scratchPath(const std::string& name) {
  return folder->path() + "/" + name;
}

}  // namespace vellicor::e2e
