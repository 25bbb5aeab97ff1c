#include "view/frustum.h"

void FrustumPlanes::extract()
{
    // The planes come with frustum culling; until then nothing is in view.
}

bool FrustumPlanes::containsSphere(float, float, float, float) const { return false; }
