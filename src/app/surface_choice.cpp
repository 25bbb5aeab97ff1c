#include "app/surface_choice.h"

#include "app/projection.h"

#include <cstdio>

Report moveFrameOffscreen(Shell& shell, Overlay& overlay, int width, int height)
{
    const Report report = makeOffscreenSurface(shell.surface, width, height);
    if (report.failed())
        return report;
    shell.clientRect = {0, 0, width, height};
    setUpViewport(shell, width, height);
    scaleOverlay(overlay, height);
    return report;
}

Report setRenderScale(Shell& shell, float scale)
{
    return scaleSurface(shell.surface, scale, shell.clientRect.right, shell.clientRect.bottom);
}

Report startRenderScale(Shell& shell, const RenderScaleChoice& choice)
{
    if (!choice.automatic)
        return setRenderScale(shell, choice.scale);
    // The renderer builds its code for the stretch at its first use, which
    // would stall the frame of the first change (for seconds on a loaded
    // machine): one stretch now builds it. A renderer without targets is
    // told at start, and auto stays off.
    const Report report = setRenderScale(shell, kAutoScaleSteps[kAutoScaleStepCount - 1]);
    if (!report.failed()) {
        finishScene(shell.surface, shell.clientRect.right, shell.clientRect.bottom);
        setRenderScale(shell, kMaxRenderScale);
    }
    shell.autoScale.on = !report.failed();
    return report;
}

void fitSurfaceToWindow(Shell& shell)
{
    restartAutoScaleEvidence(shell.autoScale);
    fitScaledSurface(shell.surface, shell.clientRect.right, shell.clientRect.bottom);
}

void adjustRenderScale(Shell& shell)
{
    if (!shell.autoScale.on)
        return;
    if (!observeFrameTime(shell.autoScale, shell.frameClock.delta)) {
        if (settledUntold(shell.autoScale))
            std::fprintf(stderr, "lumora: the render scale settled at %g\n",
                         static_cast<double>(kAutoScaleSteps[shell.autoScale.step]));
        return;
    }
    const Report report = setRenderScale(shell, kAutoScaleSteps[shell.autoScale.step]);
    if (report.failed()) {
        // Said once: the scale stays where it is from now on.
        shell.autoScale.on = false;
        std::fprintf(stderr, "lumora: %s; the render scale stays at %.2f\n", report.text.c_str(),
                     static_cast<double>(shell.surface.scale));
    }
}
