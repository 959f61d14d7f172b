#include "tests/player/thread_nice.h"

#include <dirent.h>
#include <sys/resource.h>

#include <cstdlib>
#include <fstream>
#include <string>

int ThreadNiceValue(int tid) { return getpriority(PRIO_PROCESS, static_cast<id_t>(tid)); }

int ThreadNamed(const char* name) {
  DIR* tasks = opendir("/proc/self/task");
  if (tasks == nullptr) return 0;
  int found = 0;
  while (dirent* entry = readdir(tasks)) {
    if (entry->d_name[0] == '.') continue;
    std::string comm;
    std::getline(std::ifstream(std::string("/proc/self/task/") + entry->d_name + "/comm"), comm);
    if (comm == name) found = atoi(entry->d_name);
  }
  closedir(tasks);
  return found;
}
