#pragma once
// The benchmark's runs: each one a fresh process, this program started again
// with --run, so that start-up is measured from the process start; the
// figures that each prints are gathered, and their medians reported as a
// table or as JSON.

#include "bench/bench_options.h"

// Returns the exit status, having said on standard error which run failed.
int runAll(const BenchOptions& options);
