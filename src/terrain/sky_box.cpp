#include "terrain/sky_box.h"

void drawSkyBox(const SkyBox&, float, float, float, float, float, float)
{
    // The sky box comes with its own work; the frame already passes its centre.
}
