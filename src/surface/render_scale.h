#pragma once
// The render scale: the scene drawn at a share of the window's size, from
// 0.25 to 1 along each side, and stretched onto the window. 1 is the window's
// own frame. "auto" picks, from a few fixed steps, the largest scale that
// keeps the frame near 60 per second: it looks at the median frame time of
// 1.5 s of frames (10 at least), goes down when the frame is slower than 55
// per second, and up only when even a frame whose whole cost grew with the
// pixels would stay above 66 per second at the next step up; so it settles,
// and changes seldom. Pure logic: the caller makes the target at the size asked for.

#include <cstdint>

constexpr float kMinRenderScale = 0.25f;
constexpr float kMaxRenderScale = 1;

// How the scene is stretched onto the window below scale 1. Nearest repeats
// each pixel (at 0.5 and 0.25 exactly two or four times each way) and costs
// less, which the window's frame rate needs; linear blends between them.
enum class StretchFilter : uint8_t { Nearest, Linear };
constexpr StretchFilter kDefaultStretchFilter = StretchFilter::Nearest;

struct RenderScaleChoice {
    bool automatic = false;
    float scale = kMaxRenderScale; // when not automatic
};

// "auto", or a number from 0.25 to 1. False for anything else.
bool parseRenderScale(const char* text, RenderScaleChoice& choice);
// The range that parseRenderScale takes, for a refusal's line.
constexpr const char* kRenderScaleRange = "0.25 to 1, or auto";
// "linear" or "nearest". False for anything else.
bool parseStretchFilter(const char* text, StretchFilter& filter);

// The scene's size at scale: each side rounded to the nearest pixel, at least 1.
void scaledSize(int width, int height, float scale, int& scaledWidth, int& scaledHeight);

constexpr float kAutoScaleSteps[] = {1, 0.85f, 0.7f, 0.6f, 0.5f, 0.42f, 0.35f, 0.25f};
constexpr int kAutoScaleStepCount = sizeof kAutoScaleSteps / sizeof kAutoScaleSteps[0];
constexpr double kAutoScaleFrameSeconds = 1.0 / 60; // the frame time aimed at
constexpr double kAutoScaleEvidenceSeconds = 1.5;   // frames looked at for one decision
constexpr double kAutoScaleSettleSeconds = 0.5;     // frames ignored at start and after a change
constexpr int kAutoScaleMinEvidenceFrames = 10;     // and at least these, however slow
constexpr int kAutoScaleEvidenceFrames = 1024;      // a decision comes early when they are full

struct AutoRenderScale {
    bool on = false;
    int step = 0; // into kAutoScaleSteps
    double settleLeft = kAutoScaleSettleSeconds;
    double evidenceSeconds = 0;
    int evidenceCount = 0;
    bool kept = false; // the last look kept the step: the scale has settled there
    int toldStep = -1; // the step last told as settled; -1 before any
    float frameSeconds[kAutoScaleEvidenceFrames] = {};
};

// Takes one frame's delta in seconds. True when the scale should change to
// kAutoScaleSteps[scale.step].
bool observeFrameTime(AutoRenderScale& scale, float frameDelta);
// True once for each scale that auto settles on (a look that keeps it), to be told.
bool settledUntold(AutoRenderScale& scale);
// Forgets the frames seen so far and lets the next ones settle first: after a
// resize they tell nothing of the new size.
void restartAutoScaleEvidence(AutoRenderScale& scale);
