#include "app/surface_choice.h"

#include "app/projection.h"

#include <cstdio>

Report moveFrameOffscreen(Drawing& drawing, ClientRect& clientRect, Overlay& overlay, int width, int height)
{
    const Report report = makeOffscreenSurface(drawing.surface, width, height);
    if (report.failed())
        return report;
    clientRect = {0, 0, width, height};
    setUpViewport(drawing, width, height);
    scaleOverlay(overlay, height);
    return report;
}

Report setRenderScale(FrameSurface& surface, const ClientRect& clientRect, float scale)
{
    return scaleSurface(surface, scale, clientRect.right, clientRect.bottom);
}

Report startRenderScale(Drawing& drawing, const ClientRect& clientRect, const RenderScaleChoice& choice)
{
    if (!choice.automatic)
        return setRenderScale(drawing.surface, clientRect, choice.scale);
    // The renderer builds its code for the stretch at its first use, which
    // would stall the frame of the first change (for seconds on a loaded
    // machine): one stretch now builds it. A renderer without targets is
    // told at start, and auto stays off.
    const Report report = setRenderScale(drawing.surface, clientRect, kAutoScaleSteps[kAutoScaleStepCount - 1]);
    if (!report.failed()) {
        finishScene(drawing.surface, clientRect.right, clientRect.bottom);
        setRenderScale(drawing.surface, clientRect, kMaxRenderScale);
    }
    drawing.autoScale.on = !report.failed();
    return report;
}

void fitSurfaceToWindow(Drawing& drawing, const ClientRect& clientRect)
{
    restartAutoScaleEvidence(drawing.autoScale);
    fitScaledSurface(drawing.surface, clientRect.right, clientRect.bottom);
}

void adjustRenderScale(Drawing& drawing, const ClientRect& clientRect, float frameDelta)
{
    AutoRenderScale& autoScale = drawing.autoScale;
    if (!autoScale.on)
        return;
    if (!observeFrameTime(autoScale, frameDelta)) {
        if (settledUntold(autoScale))
            std::fprintf(stderr, "lumora: the render scale settled at %g\n",
                         static_cast<double>(kAutoScaleSteps[autoScale.step]));
        return;
    }
    const Report report = setRenderScale(drawing.surface, clientRect, kAutoScaleSteps[autoScale.step]);
    if (report.failed()) {
        // Said once: the scale stays where it is from now on.
        autoScale.on = false;
        std::fprintf(stderr, "lumora: %s; the render scale stays at %.2f\n", report.text.c_str(),
                     static_cast<double>(drawing.surface.scale));
    }
}
