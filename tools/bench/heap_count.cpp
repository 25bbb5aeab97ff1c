#include "bench/heap_count.h"

#include <atomic>
#include <cstdlib>
#include <new>

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);
}

namespace {

std::atomic<uint64_t> allocations{0};

void* allocate(size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    void* block = __real_malloc(size == 0 ? 1 : size);
    if (!block)
        throw std::bad_alloc();
    return block;
}

void* allocateAligned(size_t size, std::align_val_t alignment)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    const size_t align = static_cast<size_t>(alignment);
    const size_t rounded = (size + align - 1) / align * align;
    void* block = std::aligned_alloc(align, rounded == 0 ? align : rounded);
    if (!block)
        throw std::bad_alloc();
    return block;
}

} // namespace

uint64_t heapAllocationCount() { return allocations.load(std::memory_order_relaxed); }

extern "C" {
void* __wrap_malloc(size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __real_malloc(size);
}

void* __wrap_calloc(size_t count, size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __real_calloc(count, size);
}

void* __wrap_realloc(void* block, size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __real_realloc(block, size);
}
}

void* operator new(size_t size) { return allocate(size); }
void* operator new[](size_t size) { return allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __real_malloc(size == 0 ? 1 : size);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
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
