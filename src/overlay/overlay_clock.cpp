#include "overlay/overlay_clock.h"

int formatClock(const Overlay& overlay, char (&text)[kTextBufferBytes])
{
    return formatText(text, "%2.0f:%2.0f", static_cast<double>(overlay.clockMinutes - 1),
                      static_cast<double>(overlay.clockSeconds));
}

void advanceClock(Overlay& overlay, float frameDelta)
{
    overlay.clockSeconds += frameDelta;
    if (overlay.clockSeconds >= kClockWrapSeconds) {
        overlay.clockSeconds = 0;
        overlay.clockMinutes += 1;
    }
}

bool captionsShown(const Overlay& overlay)
{
    return overlay.clockMinutes - 1 < 1 && overlay.clockSeconds < kCaptionSeconds;
}
