#include "bench/heap_count.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <execinfo.h>
#include <new>

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);
}

// The executable's code, from the linker: a caller between these is ours.
extern "C" char __executable_start;
extern "C" char etext;

namespace {

std::atomic<bool> counting{false};
std::atomic<uint64_t> allocations{0};

void countOne()
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
}

bool isOurs(const void* address)
{
    const char* at = static_cast<const char*>(address);
    return at >= &__executable_start && at < &etext;
}

// The standard C and C++ runtime, which both our code and the renderer call
// through: a caller there says nothing about whose allocation it is.
bool isRuntime(const void* address)
{
    Dl_info info;
    if (dladdr(address, &info) == 0 || !info.dli_fname)
        return false;
    const char* name = std::strrchr(info.dli_fname, '/');
    name = name ? name + 1 : info.dli_fname;
    return std::strncmp(name, "libstdc++", 9) == 0 || std::strncmp(name, "libgcc", 6) == 0 ||
           std::strncmp(name, "libc.", 5) == 0;
}

// An operator new is ours when one of its nearest callers is ours and none of
// them lies in another library: our own code calls it directly, or through a
// few frames of a standard-library member. The renderer's shader compiler
// calls it from deep inside its own library, now and then through a
// std::string member that the executable happens to hold a copy of, which the
// dynamic linker then prefers to the runtime's own.
constexpr int kCallersLooked = 4;

// Inlined into each operator new, so that the first frame of the backtrace
// is that operator new and the next are its callers.
[[gnu::always_inline]] inline void countIfOurs()
{
    if (!counting.load(std::memory_order_relaxed))
        return;
    void* frames[kCallersLooked + 1];
    const int depth = backtrace(frames, kCallersLooked + 1);
    bool oursSeen = false;
    for (int i = 1; i < depth; ++i)
        oursSeen = oursSeen || isOurs(frames[i]);
    if (!oursSeen)
        return;
    for (int i = 1; i < depth; ++i) {
        if (!isOurs(frames[i]) && !isRuntime(frames[i]))
            return;
    }
    allocations.fetch_add(1, std::memory_order_relaxed);
}

[[gnu::always_inline]] inline void* allocate(size_t size)
{
    countIfOurs();
    void* block = __real_malloc(size == 0 ? 1 : size);
    if (!block)
        throw std::bad_alloc();
    return block;
}

[[gnu::always_inline]] inline void* allocateAligned(size_t size, std::align_val_t alignment)
{
    countIfOurs();
    const size_t align = static_cast<size_t>(alignment);
    const size_t rounded = (size + align - 1) / align * align;
    void* block = std::aligned_alloc(align, rounded == 0 ? align : rounded);
    if (!block)
        throw std::bad_alloc();
    return block;
}

} // namespace

void startHeapCount()
{
    // The first backtrace loads the unwinder, which allocates: not ours.
    void* frame[1];
    backtrace(frame, 1);
    counting.store(true, std::memory_order_relaxed);
}

uint64_t heapAllocationCount() { return allocations.load(std::memory_order_relaxed); }

extern "C" {
void* __wrap_malloc(size_t size)
{
    countOne();
    return __real_malloc(size);
}

void* __wrap_calloc(size_t count, size_t size)
{
    countOne();
    return __real_calloc(count, size);
}

void* __wrap_realloc(void* block, size_t size)
{
    countOne();
    return __real_realloc(block, size);
}
}

void* operator new(size_t size) { return allocate(size); }
void* operator new[](size_t size) { return allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    countIfOurs();
    return __real_malloc(size == 0 ? 1 : size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    countIfOurs();
    return __real_malloc(size == 0 ? 1 : size);
}
void* operator new(size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }
void* operator new[](size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }

void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
void operator delete[](void* block, size_t) noexcept { std::free(block); }
void operator delete(void* block, std::align_val_t) noexcept { std::free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { std::free(block); }
void operator delete(void* block, size_t, std::align_val_t) noexcept { std::free(block); }
void operator delete[](void* block, size_t, std::align_val_t) noexcept { std::free(block); }
