#pragma once
// Heap allocations counted in the benchmark alone: operator new, malloc,
// calloc and realloc called from our own code (the benchmark's executable,
// which holds the viewer's library). Allocations inside the system's shared
// libraries are not counted: the software renderer, for one, compiles code
// with a C++ compiler library whenever it meets a new combination of state.

#include <cstdint>

// Counting begins here; before it, an allocation costs what it costs without
// the count. The benchmark starts it after the first frame, so that start-up is
// timed without a backtrace for each of its allocations. Calling it again
// changes nothing.
void startHeapCount();

// Allocations counted since startHeapCount.
uint64_t heapAllocationCount();
