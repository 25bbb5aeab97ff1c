// One libFuzzer target per reader: LUMORA_FUZZ_CHECK names the reader check
// that this build of the file runs. A broken property aborts, so the fuzzer
// keeps the input that broke it.
#include "fuzz/reader_checks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    if (const char* fault = LUMORA_FUZZ_CHECK(bytes, size)) {
        std::fprintf(stderr, "reader check failed: %s (%zu bytes)\n", fault, size);
        std::abort();
    }
    return 0;
}
