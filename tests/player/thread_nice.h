// Reading the scheduling priority of this process's threads, for the tests of the decoding thread's.
#pragma once

// The nice value of thread `tid` of this process.
int ThreadNiceValue(int tid);
// The thread id of this process's thread named `name`, or 0 when there is none.
int ThreadNamed(const char* name);
