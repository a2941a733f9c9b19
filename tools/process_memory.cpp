#include "process_memory.h"

#include <fstream>
#include <sstream>
#include <string>

namespace vellicor::tools {

ProcessMemory processMemory(pid_t pid) {
  ProcessMemory memory;
  long privateClean = 0;
  std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
  for (std::string line; std::getline(rollup, line);) {
    std::istringstream fields(line);
    std::string key;
    long value = 0;
    if (!(fields >> key >> value)) {
      continue;
    }
    if (key == "Rss:") {
      memory.residentKb = value;
    } else if (key == "Private_Clean:") {
      privateClean = value;
    } else if (key == "Private_Dirty:") {
      memory.privateDirtyKb = value;
    }
  }
  memory.privateKb = privateClean + memory.privateDirtyKb;
  return memory;
}

}  // namespace vellicor::tools
