#include "tests/player/thread_nice.h"

#include <sys/resource.h>

#include <fstream>
#include <string>

#include "media/thread_census.h"

int ThreadNiceValue(int tid) { return getpriority(PRIO_PROCESS, static_cast<id_t>(tid)); }

int ThreadNamed(const char* name) {
  int found = 0;
  for (int id : ProcessThreadIds()) {
    std::string comm;
    std::getline(std::ifstream("/proc/self/task/" + std::to_string(id) + "/comm"), comm);
    if (comm == name) found = id;
  }
  return found;
}
