// The benchmark's allocation count: what our code allocates, directly or
// through the standard library, and nothing that a system library allocates
// on its own.
#include "bench/heap_count.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Kept where the compiler cannot see it unused, so no allocation is elided.
void* volatile sink = nullptr;

template <typename T>
T* keep(T* block)
{
    sink = block;
    return block;
}

// First in the file, and run alone by the test command: the count is unstarted.
TEST(HeapCount, CountsNothingBeforeItStarts)
{
    delete keep(new int(1));
    std::free(keep(std::malloc(16)));
    EXPECT_EQ(heapAllocationCount(), 0u);
    startHeapCount();
    delete keep(new int(2));
    EXPECT_EQ(heapAllocationCount(), 1u);
}

TEST(HeapCount, CountsEachAllocationOfOurCode)
{
    startHeapCount();
    struct Case {
        const char* what;
        void (*allocate)();
        uint64_t expected;
    };
    const Case cases[] = {
        {"new", [] { delete keep(new int(3)); }, 1},
        {"new[]", [] { delete[] keep(new char[64]); }, 1},
        {"malloc", [] { std::free(keep(std::malloc(32))); }, 1},
        {"calloc", [] { std::free(keep(std::calloc(4, 8))); }, 1},
        {"malloc then realloc", [] { std::free(keep(std::realloc(std::malloc(8), 4096))); }, 2},
        {"a vector that grows three times",
         [] {
             std::vector<int> v;
             for (int i = 0; i < 3; ++i)
                 v.push_back(i);
             sink = v.data();
         },
         3},
        // Its members live in the shared standard library, which calls new.
        {"a string too long to hold in place",
         [] {
             std::string s(200, 'x');
             sink = s.data();
         },
         1},
        {"a short string held in place",
         [] {
             std::string s("abc");
             sink = s.data();
         },
         0},
        {"nothing", [] {}, 0},
    };
    for (const Case& c : cases) {
        const uint64_t before = heapAllocationCount();
        c.allocate();
        EXPECT_EQ(heapAllocationCount() - before, c.expected) << c.what;
    }
}

TEST(HeapCount, LeavesOutWhatASystemLibraryAllocatesOnItsOwn)
{
    // strdup allocates inside the C library, out of our code's sight.
    startHeapCount();
    const uint64_t before = heapAllocationCount();
    char* copy = strdup("a string the C library copies");
    sink = copy;
    EXPECT_EQ(heapAllocationCount() - before, 0u);
    std::free(copy);
}

} // namespace
