#pragma once
// The fog that start-up sets once: linear, grey, on the explicit fog
// coordinate that the fog-coordinate extension offers.

#include <GL/gl.h>
#include <GL/glext.h>

// Grey; an imported place's sky is hazed to it at the horizon, so that
// whatever fog reaches blends into the sky.
constexpr GLfloat kFogColour[4] = {0.8f, 0.8f, 0.8f, 1.0f};

void setUpFog();
