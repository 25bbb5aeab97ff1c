#pragma once
// Watches the heap while a test decodes: the largest single request made
// between start() and largest(). The test binary replaces the global
// operator new for this; it counts nothing until started.

#include <cstddef>

namespace allocationProbe {

void start();
size_t largest(); // bytes of the largest request since start(); stops watching

} // namespace allocationProbe
