#include "surface/render_scale.h"

#include "formats/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double kSlowerThanSeconds = 1.0 / 55; // a median frame slower than this goes down
constexpr double kRoomBelowSeconds = 1.0 / 66;  // the next step up must stay under this

} // namespace

bool parseRenderScale(const char* text, RenderScaleChoice& choice)
{
    if (std::strcmp(text, "auto") == 0) {
        choice = {true, kMaxRenderScale};
        return true;
    }
    float scale = 0;
    if (!parseNumberText(text, scale) || !(scale >= kMinRenderScale && scale <= kMaxRenderScale))
        return false;
    choice = {false, scale};
    return true;
}

bool parseStretchFilter(const char* text, StretchFilter& filter)
{
    if (std::strcmp(text, "nearest") == 0)
        filter = StretchFilter::Nearest;
    else if (std::strcmp(text, "linear") == 0)
        filter = StretchFilter::Linear;
    else
        return false;
    return true;
}

void scaledSize(int width, int height, float scale, int& scaledWidth, int& scaledHeight)
{
    scaledWidth = std::max(1, static_cast<int>(std::lround(static_cast<double>(width) * scale)));
    scaledHeight = std::max(1, static_cast<int>(std::lround(static_cast<double>(height) * scale)));
}

bool observeFrameTime(AutoRenderScale& scale, float frameDelta)
{
    if (!(frameDelta > 0))
        return false; // the first frame's, or a clock that stood still
    if (scale.settleLeft > 0) {
        scale.settleLeft -= frameDelta;
        return false;
    }
    scale.frameSeconds[scale.evidenceCount++] = frameDelta;
    scale.evidenceSeconds += frameDelta;
    const bool enough =
        scale.evidenceSeconds >= kAutoScaleEvidenceSeconds && scale.evidenceCount >= kAutoScaleMinEvidenceFrames;
    if (!enough && scale.evidenceCount < kAutoScaleEvidenceFrames)
        return false;

    float* middle = scale.frameSeconds + scale.evidenceCount / 2;
    std::nth_element(scale.frameSeconds, middle, scale.frameSeconds + scale.evidenceCount);
    const double median = *middle;
    scale.evidenceCount = 0;
    scale.evidenceSeconds = 0; // the next look starts afresh, without settling

    // The pixels drawn go with the square of the scale. Going down, the step
    // that would just make the frame time if all of it were fill; going up,
    // only when the next step would still be fast if all of it were.
    const double current = kAutoScaleSteps[scale.step];
    int step = scale.step;
    if (median > kSlowerThanSeconds) {
        const double fits = current * std::sqrt(kAutoScaleFrameSeconds / median);
        step = std::min(step + 1, kAutoScaleStepCount - 1);
        while (step + 1 < kAutoScaleStepCount && kAutoScaleSteps[step] > fits)
            ++step;
    } else if (step > 0) {
        const double up = kAutoScaleSteps[step - 1];
        if (median * (up / current) * (up / current) < kRoomBelowSeconds)
            --step;
    }
    scale.kept = step == scale.step;
    if (scale.kept)
        return false;
    scale.step = step;
    restartAutoScaleEvidence(scale);
    return true;
}

void restartAutoScaleEvidence(AutoRenderScale& scale)
{
    scale.settleLeft = kAutoScaleSettleSeconds;
    scale.evidenceCount = 0;
    scale.evidenceSeconds = 0;
}

bool settledUntold(AutoRenderScale& scale)
{
    if (!scale.kept || scale.toldStep == scale.step)
        return false;
    scale.toldStep = scale.step;
    return true;
}
