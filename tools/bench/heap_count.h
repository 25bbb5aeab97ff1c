#pragma once
// Heap allocations counted in the benchmark alone: every operator new, and
// every malloc, calloc and realloc called from our own code (the linker wraps
// them). Allocations inside the system's shared libraries are not counted.

#include <cstdint>

uint64_t heapAllocationCount();
