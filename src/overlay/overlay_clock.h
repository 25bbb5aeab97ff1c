#pragma once
// The overlay's clock and the opening captions' timing, as plain results: what
// the clock reads and whether the captions show. Clock fields are seconds; the
// second field wraps at 6000.

#include "overlay/overlay.h"
#include "overlay/text.h"

constexpr float kClockWrapSeconds = 6000;
constexpr float kCaptionSeconds = 4; // captions show while the second field is below this

// The clock as shown: "%2.0f:%2.0f" with clockMinutes - 1 and clockSeconds,
// rounded to nearest by the format. Returns the text's length.
int formatClock(const Overlay& overlay, char (&text)[kTextBufferBytes]);

// Adds one frame delta. Reaching 6000 seconds sets the seconds to 0, dropping
// the excess, and counts one wrap in clockMinutes; at most one wrap a frame.
void advanceClock(Overlay& overlay, float frameDelta);

// True during the first 4 seconds of the clock and the 4 seconds after its
// first wrap; never after the second wrap.
bool captionsShown(const Overlay& overlay);
