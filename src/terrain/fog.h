#pragma once
// The fog that start-up sets once: linear, grey, on the explicit fog
// coordinate that the fog-coordinate extension offers.

#include <GL/gl.h>
#include <GL/glext.h>

void setUpFog();
