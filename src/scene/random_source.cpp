#include "scene/random_source.h"

int RandomSource::draw()
{
    state = state * 214013u + 2531011u; // wraps modulo 2^32
    return static_cast<int>((state >> 16) & 0x7FFF);
}
