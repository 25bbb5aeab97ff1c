#pragma once
// The one random source of the run: a 32-bit linear congruential generator
// that starts from the same state every run, so every run builds the same
// scene. Each draw returns bits 16 to 30 of the new state, 0 .. 32767.

#include <cstdint>

struct RandomSource {
    uint32_t state = 1;

    int draw();
};
