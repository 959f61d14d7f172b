#include "media/thread_census.h"

#include <dirent.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

std::vector<int> ProcessThreadIds() {
  std::vector<int> ids;
  DIR* tasks = opendir("/proc/self/task");
  if (tasks == nullptr) return ids;
  while (const dirent* entry = readdir(tasks)) {
    const int id = atoi(entry->d_name);
    if (id > 0) ids.push_back(id);
  }
  closedir(tasks);
  std::sort(ids.begin(), ids.end());
  return ids;
}

CTQThreadCensus::CTQThreadCensus() {}

CTQThreadCensus::~CTQThreadCensus() {}

void CTQThreadCensus::Begin() { before_ = ProcessThreadIds(); }

void CTQThreadCensus::End(std::vector<int>* started) const {
  const std::vector<int> now = ProcessThreadIds();
  std::set_difference(now.begin(), now.end(), before_.begin(), before_.end(), std::back_inserter(*started));
}
