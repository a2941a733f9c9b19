#pragma once

#include <string>

namespace vellicor::e2e {

// A path for a file of this test run's own (a program's output, a socket, a
// configuration), in a folder made for the run. The folder goes when the run
// ends with every test passed; after a failure it stays, and the run says
// where.
std::string scratchPath(const std::string& name);

}  // namespace vellicor::e2e
