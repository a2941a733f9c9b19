#pragma once

#include <sys/types.h>

namespace vellicor::tools {

// A process's memory from /proc/<pid>/smaps_rollup, in kilobytes.
struct ProcessMemory {
  long residentKb = 0;
  long privateKb = 0;       // pages no other process maps, clean or dirty
  long privateDirtyKb = 0;  // heap and written data: what the program itself costs
};

ProcessMemory processMemory(pid_t pid);

}  // namespace vellicor::tools
