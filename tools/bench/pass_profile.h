#pragma once
// The time of each pass of the frame, after the path: the frames walk on with
// glFinish between the passes, and each pass's share is summed in seconds.

#include "app/frame_hooks.h"

constexpr int kPassCount = static_cast<int>(FramePass::Swap) + 1;
// The figures' names, in the order of the passes.
constexpr const char* kPassKeys[kPassCount] = {
    "pass_view_ms",  "pass_terrain_ms", "pass_sky_box_ms", "pass_origin_palm_ms", "pass_palms_ms",
    "pass_grass_ms", "pass_flyers_ms",  "pass_overlay_ms", "pass_swap_ms",
};

// The time per pass, after the path, with glFinish between passes.
struct ProfileRecord {
    double start = 0;
    long frames = 0;
    double passStart = 0;
    double passSeconds[kPassCount] = {};
};

// Before a profiled frame: its first pass is timed from here.
void startPassTimes(ProfileRecord& profile);
// The frame's probe; context: the ProfileRecord.
void timePass(void* context, FramePass finished);
