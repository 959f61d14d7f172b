// The decoding thread's claim on the processor.
//
// A movie converted faster than the screen refreshes (refresh_rate above the screen's rate) has most of
// its pictures replaced before any main-loop pass shows them; then the decoding thread runs at a lower
// priority, so that it yields to the renderer, which shows them. At or below the screen's rate every
// picture counts: the thread keeps the priority it started with, so that its wait after each picture
// stays the only delay between pictures. Neither changes what the thread does or in which order.
//
// FFmpeg's worker threads, which decode and convert the pictures the decoding thread asks for, are moved
// with it: left at their priority they would take from the renderer what the decoding thread gives up.
// Lowering is always allowed; raising again needs the right to (RLIMIT_NICE or CAP_SYS_NICE), and without
// it the threads stay lower until the next movie's fresh ones, which start at the priority of the thread
// that makes them.
#pragma once

#include <cstdint>
#include <vector>

// How much lower than its starting priority (in nice steps) a decoding thread should run, for a refresh
// rate in hertz and the screen's refresh rate (0 when unknown, taken as 60 Hz): 0 or a positive step.
int DecodeNiceIncrement(float refresh_rate, uint32_t screen_rate);

class CTQDecodePriority {
 public:
  CTQDecodePriority();
  virtual ~CTQDecodePriority();

  // Run by the decoding thread before each read step: moves the calling thread, and the threads of
  // `workers` (kernel thread ids) that are still threads of this process, to the calling thread's
  // starting nice value plus DecodeNiceIncrement, when they are not there yet and the system allows it.
  void Follow(float refresh_rate, uint32_t screen_rate, const std::vector<int>& workers = {});
  // The increment in force for the thread.
  int Applied() const { return applied_; }

 private:
  bool started_;
  int start_nice_;
  int applied_;
  // The worker threads moved to the applied level.
  std::vector<int> workers_;
  // A raise was refused once: not asked for again by this thread.
  bool raise_refused_;
};
