// Which threads of this process a stretch of code started. FFmpeg starts the decoder's and the
// converter's worker threads inside its open calls and names none of them; the threads that appear
// between Begin and End are theirs, together with any thread another thread of the process started
// meanwhile.
#pragma once

#include <vector>

// The kernel thread ids of this process's threads, in ascending order; empty when /proc cannot be read.
std::vector<int> ProcessThreadIds();

class CTQThreadCensus {
 public:
  CTQThreadCensus();
  virtual ~CTQThreadCensus();

  // Notes the threads alive now.
  void Begin();
  // Appends to `started` the threads alive now that were not alive at Begin.
  void End(std::vector<int>* started) const;

 private:
  std::vector<int> before_;
};
