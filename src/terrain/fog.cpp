#include "terrain/fog.h"

void setUpFog()
{
    // Linear fog from 0 to 50 on the explicit fog coordinate. No pass gives a
    // coordinate, so every vertex keeps the initial 0 and colours pass unfogged.
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, kFogColour);
    glFogf(GL_FOG_START, 0.0f);
    glFogf(GL_FOG_END, 50.0f);
    glFogi(GL_FOG_COORDINATE_SOURCE_EXT, GL_FOG_COORDINATE_EXT);
}
