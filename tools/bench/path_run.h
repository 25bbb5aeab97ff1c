#pragma once
// One run of the benchmark in this process: the viewer's start-up, then its
// frames along the camera path by the real frame clock, with the renderer's
// limits between the path's blocks and the pass profile after it. The run
// prints its figures as one line for the process that started it.

#include "bench/bench_options.h"

// Returns the exit status, having said on standard error what went wrong.
int runOnce(const BenchOptions& options);
