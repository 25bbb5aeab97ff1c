#include "allocation_probe.h"

#include <cstdlib>
#include <new>

namespace {
bool watching = false;
size_t largestRequest = 0;
} // namespace

void allocationProbe::start()
{
    largestRequest = 0;
    watching = true;
}

size_t allocationProbe::largest()
{
    watching = false;
    return largestRequest;
}

void* operator new(size_t size)
{
    if (watching && size > largestRequest)
        largestRequest = size;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
