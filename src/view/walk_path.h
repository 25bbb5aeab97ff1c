#pragma once
// A walk between its frames: the pose at any time, for drawing a walk again
// at a frame rate of its own. The eye and the point looked at each follow a
// centripetal Catmull-Rom curve through the recorded points, which passes
// through every one of them, has no jumps, and neither loops nor overshoots
// where the frames lie unevenly (a frame that took long moves the eye far).
// Between two frames the curve runs at the pace of their times. The drawing
// states (crouch, zoom, wireframe) are those of the frame at or before the
// time. Times are seconds from the walk's first frame.

#include "view/walk.h"

#include <span>

// Seconds from the first frame to the last.
double walkSeconds(std::span<const WalkFrame> walk);

// The pose at `seconds` (clamped to the walk), with time set to it. The walk
// holds at least one frame. Where the two curves would bring the point looked
// at onto the eye, or straight above or below it, the frame at or before the
// time gives the direction of view.
WalkFrame walkFrameAt(std::span<const WalkFrame> walk, double seconds);
