#pragma once
// The random source as it stands after a number of draws from the start of a
// run, to tell how many draws an operation took by comparing states.

#include "scene/random_source.h"

inline RandomSource afterDraws(int draws)
{
    RandomSource random;
    for (int i = 0; i < draws; ++i)
        random.draw();
    return random;
}
