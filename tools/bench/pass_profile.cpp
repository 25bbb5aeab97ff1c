#include "bench/pass_profile.h"

#include "common/viewer_session.h"

#include <GL/gl.h>

void startPassTimes(ProfileRecord& profile)
{
    glFinish();
    profile.passStart = monotonicSeconds();
}

void timePass(void* context, FramePass finished)
{
    ProfileRecord& profile = *static_cast<ProfileRecord*>(context);
    glFinish();
    const double now = monotonicSeconds();
    profile.passSeconds[static_cast<int>(finished)] += now - profile.passStart;
    profile.passStart = now;
}
