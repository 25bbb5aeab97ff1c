#pragma once
// The renderer's limits in the viewer's window: clear + swap; clear + one
// full-screen quad with the terrain's two texture units + swap; that quad +
// the terrain's display list + swap. Each is drawn for a slice of time
// between the path's blocks, so other work on the machine weighs on the path
// and on the limits alike, and their ratio holds still.

#include "app/world.h"

constexpr double kLimitSliceSeconds = 0.1;
// The limits in the order they are drawn, each one adding to the one before.
enum Limit : int { kClearSwapLimit, kQuadLimit, kQuadTerrainLimit, kLimitCount };

struct LimitTally {
    long frames = 0;
    double seconds = 0;
    double fps() const { return seconds > 0 ? static_cast<double>(frames) / seconds : 0; }
};

// The renderer's limits, measured in slices between the path's blocks.
struct LimitRecord {
    Camera startPose; // the terrain limit looks from here
    bool warm = false;
    LimitTally tallies[kLimitCount];
};

// One slice of each limit. The first time, a few frames go first: the
// software renderer builds its code for a new combination of state on first use.
void measureLimitSlices(LimitRecord& limits, const World& world);
